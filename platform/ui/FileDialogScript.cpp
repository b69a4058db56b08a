#include "platform/ui/FileDialogScript.h"

namespace ui {

FileDialogScript::FileDialogScript() : m_previous(SetFileDialogHandler(this)) {
}

FileDialogScript::~FileDialogScript() {
    SetFileDialogHandler(m_previous);
}

std::optional<FileDialogAnswer> FileDialogScript::Show(QWidget*, const FileDialogRequest& request) {
    m_requests.push_back(request);
    if (m_requests.size() > m_answers.size())
        return std::nullopt;
    return m_answers[m_requests.size() - 1];
}

} // namespace ui
