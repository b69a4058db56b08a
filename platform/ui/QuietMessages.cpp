#include "platform/ui/QuietMessages.h"

#include <QString>

#include <array>
#include <cstdio>

namespace ui {
namespace {

struct HarmlessMessage {
    std::string_view category; // empty: any category
    std::string_view text;     // a part of the message's text
};

// Qt falls back to a folder of its own when the session has no runtime folder or a
// loose one; and the tray icon asks the platform for a signal that only platforms with a
// notification area have (the program already says, once, that there is none).
constexpr std::array<HarmlessMessage, 3> kHarmless{{
    {"", "QStandardPaths: XDG_RUNTIME_DIR not set"},
    {"", "QStandardPaths: wrong permissions on runtime directory"},
    {"qt.core.qobject.connect", "QPlatformNativeInterface::systemTrayWindowChanged"},
}};

QtMessageHandler g_previous = nullptr;

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::string_view category = context.category != nullptr ? context.category : "";
    if (IsHarmlessQtMessage(type, category, text.toStdString()))
        return;
    if (g_previous != nullptr)
        g_previous(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, text)));
}

} // namespace

bool IsHarmlessQtMessage(QtMsgType type, std::string_view category, std::string_view text) {
    if (type != QtWarningMsg && type != QtInfoMsg && type != QtDebugMsg)
        return false;
    for (const HarmlessMessage& harmless : kHarmless) {
        const bool categoryMatches = harmless.category.empty() || category == harmless.category;
        if (categoryMatches && text.find(harmless.text) != std::string_view::npos)
            return true;
    }
    return false;
}

void SilenceHarmlessQtMessages() {
    QtMessageHandler previous = qInstallMessageHandler(&FilterMessage);
    if (previous != &FilterMessage)
        g_previous = previous;
}

} // namespace ui
