#include "platform/ui/ModalScript.h"

#include "platform/ui/Dialog.h"

namespace ui {

ModalScript::ModalScript() : m_previous(SetModalRunner(this)) {}

ModalScript::~ModalScript() { SetModalRunner(m_previous); }

int ModalScript::Run(Dialog& dialog) {
    m_runs.push_back(dialog.TemplateId());
    if (m_scripts.empty())
        return IDCANCEL;
    Script script = std::move(m_scripts.front());
    m_scripts.pop_front();
    dialog.setResult(-1);
    int scripted = script(dialog);
    return dialog.result() != -1 ? dialog.result() : scripted;
}

} // namespace ui
