#include "platform/ui/QuietMessages.h"

#include <gtest/gtest.h>

namespace {

struct MessageCase {
    QtMsgType type;
    const char* category;
    const char* text;
    bool harmless;
};

class QuietMessagesTest : public testing::TestWithParam<MessageCase> {};

TEST_P(QuietMessagesTest, OnlyTheKnownHarmlessWarningsAreKeptQuiet) {
    const MessageCase message = GetParam();
    EXPECT_EQ(ui::IsHarmlessQtMessage(message.type, message.category, message.text),
              message.harmless)
        << message.text;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, QuietMessagesTest,
    testing::Values(
        MessageCase{QtWarningMsg, "default",
                    "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-ann'",
                    true},
        MessageCase{QtWarningMsg, "default",
                    "QStandardPaths: wrong permissions on runtime directory /run/user/1000, "
                    "0755 instead of 0700",
                    true},
        MessageCase{QtWarningMsg, "qt.core.qobject.connect",
                    "QObject::connect: No such signal "
                    "QPlatformNativeInterface::systemTrayWindowChanged(QScreen*)",
                    true},
        // The same signal text in another category is somebody else's fault.
        MessageCase{QtWarningMsg, "default", "QPlatformNativeInterface::systemTrayWindowChanged",
                    false},
        // Faults of our own stay visible.
        MessageCase{QtWarningMsg, "qt.core.qobject.connect",
                    "QObject::connect: No such signal CCofferDlg::loggedIn()", false},
        MessageCase{QtWarningMsg, "default", "QPainter::begin: Paint device returned engine == 0",
                    false},
        MessageCase{QtCriticalMsg, "default", "QStandardPaths: XDG_RUNTIME_DIR not set", false},
        MessageCase{QtFatalMsg, "default", "QStandardPaths: XDG_RUNTIME_DIR not set", false}));

} // namespace
