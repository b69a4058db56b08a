#include "platform/ui/FileDialog.h"

#include <QFileDialog>
#include <QStringList>

#include <filesystem>

namespace ui {
namespace {

class QtFileDialogs : public FileDialogHandler {
public:
    std::optional<FileDialogAnswer> Show(QWidget* owner,
                                         const FileDialogRequest& request) override {
        QStringList filters;
        for (const std::string& filter : request.filters)
            filters << QString::fromStdString(filter);
        QString selected = filters.value(0);
        const QString caption = QString::fromStdString(request.strCaption);
        const QString name = QString::fromStdString(request.strFileName);
        const QString path =
            request.bSave
                ? QFileDialog::getSaveFileName(owner, caption, name, filters.join(";;"), &selected)
                : QFileDialog::getOpenFileName(owner, caption, name, filters.join(";;"), &selected);
        if (path.isEmpty())
            return std::nullopt;
        return FileDialogAnswer{path.toStdString(), std::max(0, int(filters.indexOf(selected)))};
    }
};

QtFileDialogs g_qtFileDialogs;
FileDialogHandler* g_handler = &g_qtFileDialogs;

// "CSV 文件 (*.csv)" gives ".csv"; a filter without a plain pattern gives nothing.
std::string ExtensionOf(const std::string& filter) {
    const auto star = filter.find("*.");
    if (star == std::string::npos)
        return {};
    const auto end = filter.find_first_of(" ;)", star);
    std::string extension =
        filter.substr(star + 1, end == std::string::npos ? end : end - star - 1);
    return extension == ".*" ? std::string() : extension;
}

} // namespace

std::optional<FileDialogAnswer> GetFileName(QWidget* owner, const FileDialogRequest& request) {
    std::optional<FileDialogAnswer> answer = g_handler->Show(owner, request);
    if (!answer || answer->strPath.empty())
        return std::nullopt;
    if (request.bSave && answer->nFilter >= 0 &&
        answer->nFilter < static_cast<int>(request.filters.size()) &&
        std::filesystem::path(answer->strPath).extension().empty())
        answer->strPath += ExtensionOf(request.filters[static_cast<size_t>(answer->nFilter)]);
    return answer;
}

FileDialogHandler* SetFileDialogHandler(FileDialogHandler* handler) {
    FileDialogHandler* previous = g_handler;
    g_handler = handler != nullptr ? handler : &g_qtFileDialogs;
    return previous == &g_qtFileDialogs ? nullptr : previous;
}

} // namespace ui
