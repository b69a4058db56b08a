#include "platform/ui/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace ui {
namespace {

class DesktopUrlOpener : public UrlOpener {
public:
    bool Open(QWidget*, const std::string& url) override {
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
    }
};

DesktopUrlOpener g_desktopOpener;
UrlOpener* g_opener = &g_desktopOpener;

} // namespace

bool ShellOpenUrl(QWidget* owner, const std::string& url) {
    return g_opener->Open(owner, url);
}

UrlOpener* SetUrlOpener(UrlOpener* opener) {
    UrlOpener* previous = g_opener;
    g_opener = opener != nullptr ? opener : &g_desktopOpener;
    return previous == &g_desktopOpener ? nullptr : previous;
}

} // namespace ui
