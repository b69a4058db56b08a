#pragma once

#include "platform/ui/UrlOpener.h"

#include <string>
#include <vector>

namespace ui {

/// Address seam for tests: while it lives, addresses and folders are recorded instead of
/// handed to the desktop.
class UrlRecorder : public UrlOpener {
public:
    UrlRecorder() : m_previous(SetUrlOpener(this)) {}
    ~UrlRecorder() override { SetUrlOpener(m_previous); }
    UrlRecorder(const UrlRecorder&) = delete;
    UrlRecorder& operator=(const UrlRecorder&) = delete;

    bool Open(QWidget*, const std::string& url) override {
        urls.push_back(url);
        return true;
    }

    std::vector<std::string> urls;

private:
    UrlOpener* m_previous;
};

} // namespace ui
