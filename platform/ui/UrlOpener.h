#pragma once

#include <string>

class QWidget;

namespace ui {

/// Who opens an address with the desktop's default handler (a web page in the browser).
/// The default asks the desktop; tests install their own, so no browser starts.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool Open(QWidget* owner, const std::string& url) = 0;
};

/// Opens the address with the desktop's default action; whether the desktop took it.
bool ShellOpenUrl(QWidget* owner, const std::string& url);

/// Installs an opener (null restores the default); returns the previous one.
UrlOpener* SetUrlOpener(UrlOpener* opener);

} // namespace ui
