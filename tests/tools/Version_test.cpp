#include "CofferVersion.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Program {
    const char* name;
    const char* path;
};

// Every program answers --version with its name and the build's version, and needs no
// display for it: the display variables are taken away and X11 is asked for.
class VersionTest : public testing::TestWithParam<Program> {};

TEST_P(VersionTest, PrintsNameAndVersionWithoutADisplay) {
    const Program program = GetParam();
    const auto run =
        RunCommand(std::string("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ") +
                   program.path + " --version");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, std::string(program.name) + " " + kCofferVersion + "\n");
}

const Program kPrograms[] = {
    {"coffer", COFFER_APP},
    {"coffer-initdb", COFFER_INITDB},
#ifdef COFFER_EXPORT
    {"coffer-export", COFFER_EXPORT},
    {"coffer-import", COFFER_IMPORT},
#endif
#ifdef COFFER_BACKUP
    {"coffer-backup", COFFER_BACKUP},
#endif
#ifdef COFFER_ACCOUNTS
    {"coffer-accounts", COFFER_ACCOUNTS},
#endif
#ifdef COFFER_SEARCH
    {"coffer-search", COFFER_SEARCH},
#endif
};

INSTANTIATE_TEST_SUITE_P(Programs, VersionTest, testing::ValuesIn(kPrograms), [](const auto& test) {
    std::string name = test.param.name;
    for (char& c : name)
        if (c == '-')
            c = '_';
    return name;
});

TEST(VersionTest, IsTheProjectVersionInDottedForm) {
    const std::string version = kCofferVersion;
    ASSERT_FALSE(version.empty());
    EXPECT_NE(version.find('.'), std::string::npos);
    EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos);
}

} // namespace
