#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace ui {

/// What a file dialog asks for. Each filter reads like "CSV 文件 (*.csv)"; the first
/// pattern of the chosen filter is the extension a saved name gets when it has none.
struct FileDialogRequest {
    bool bSave = false;
    std::string strCaption;
    std::vector<std::string> filters;
    std::string strFileName; // proposed name or starting folder
};

struct FileDialogAnswer {
    std::string strPath;
    int nFilter = 0; // index into the request's filters
};

/// Where file dialogs go. The default shows Qt's dialog; tests install an answerer.
class FileDialogHandler {
public:
    virtual ~FileDialogHandler() = default;
    virtual std::optional<FileDialogAnswer> Show(QWidget* owner,
                                                 const FileDialogRequest& request) = 0;
};

/// The chosen file, or nothing when the user cancelled. A saved name without an extension
/// gets the chosen filter's.
std::optional<FileDialogAnswer> GetFileName(QWidget* owner, const FileDialogRequest& request);

/// Installs a handler (null restores the default); returns the previous one.
FileDialogHandler* SetFileDialogHandler(FileDialogHandler* handler);

} // namespace ui
