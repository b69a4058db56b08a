#include "tests/support/TempDir.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A normal start on a starter ledger, in a bare session (no runtime folder, a platform
// without a notification area): the program says only that there is no tray.
TEST(QuietStartTest, StandardErrorHoldsOnlyTheNoTrayLine) {
    testing_support::TempDir dir;
    ASSERT_EQ(RunCommand(std::string(COFFER_INITDB) + " >/dev/null").exitCode, 0);
    for (const char* scale : {"1", "1.5", "2"}) {
        const auto run = RunCommand(
            std::string("(env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=") +
            scale + " timeout -s TERM 3 " + COFFER_APP +
            " 2>&1 >/dev/null)"); // standard error alone
        EXPECT_EQ(run.exitCode, 124) << "the program should still be running: " << run.output;
        EXPECT_EQ(run.output, "coffer: this desktop has no notification area (system tray); "
                              "closing the window ends the program.\n")
            << "scale " << scale;
    }
}

} // namespace
