#include "platform/ui/PopupScript.h"

#include "platform/ui/MenuResource.h"

namespace ui {

PopupScript::PopupScript() : m_previous(SetPopupMenuHandler(this)) {}

PopupScript::~PopupScript() { SetPopupMenuHandler(m_previous); }

int PopupScript::Track(const MenuPopup& popup, QPoint screenPos, QWidget*) {
    std::vector<std::string> texts;
    for (const MenuItem& item : popup.items)
        texts.push_back(item.text);
    m_shown.push_back(std::move(texts));
    m_positions.push_back(screenPos);
    if (m_choices.empty())
        return 0;
    int choice = m_choices.front();
    m_choices.pop_front();
    return choice;
}

} // namespace ui
