#pragma once

#include "platform/ui/FileDialog.h"

#include <optional>
#include <vector>

namespace ui {

/// File-dialog seam for tests: while it lives, every file dialog is recorded instead of
/// shown and answered with the next answer given (nothing, as a cancel, when they run out).
class FileDialogScript : public FileDialogHandler {
public:
    FileDialogScript();
    ~FileDialogScript() override;
    FileDialogScript(const FileDialogScript&) = delete;
    FileDialogScript& operator=(const FileDialogScript&) = delete;

    void Answer(std::optional<FileDialogAnswer> answer) { m_answers.push_back(std::move(answer)); }
    std::optional<FileDialogAnswer> Show(QWidget* owner, const FileDialogRequest& request) override;
    const std::vector<FileDialogRequest>& Requests() const { return m_requests; }

private:
    FileDialogHandler* m_previous;
    std::vector<std::optional<FileDialogAnswer>> m_answers;
    std::vector<FileDialogRequest> m_requests;
};

} // namespace ui
