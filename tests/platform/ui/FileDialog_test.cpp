#include "platform/ui/FileDialogScript.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogTest, SavedNamesGetTheChosenFiltersExtension) {
    const struct {
        const char* typed;
        int filter;
        bool save;
        const char* result;
    } cases[] = {
        {"/tmp/收入", 0, true, "/tmp/收入.csv"},
        {"/tmp/收入", 1, true, "/tmp/收入.xlsx"},
        {"/tmp/a.csv", 1, true, "/tmp/a.csv"}, // an extension typed is kept
        {"/tmp/a.b/c", 0, true, "/tmp/a.b/c.csv"},
        {"/tmp/any", 2, true, "/tmp/any"},    // 所有文件 (*) has none to give
        {"/tmp/open", 0, false, "/tmp/open"}, // opened names are taken as they are
    };
    for (const auto& c : cases) {
        ui::FileDialogScript script;
        script.Answer(ui::FileDialogAnswer{c.typed, c.filter});
        ui::FileDialogRequest request;
        request.bSave = c.save;
        request.filters = {"CSV 文件 (*.csv)", "Excel 工作簿 (*.xlsx)", "所有文件 (*)"};
        const auto answer = ui::GetFileName(nullptr, request);
        ASSERT_TRUE(answer.has_value()) << c.typed;
        EXPECT_EQ(answer->strPath, c.result);
        EXPECT_EQ(answer->nFilter, c.filter);
        ASSERT_EQ(script.Requests().size(), 1u);
    }
}

TEST(FileDialogTest, CancelGivesNothing) {
    ui::FileDialogScript script;
    script.Answer(std::nullopt);
    script.Answer(ui::FileDialogAnswer{"", 0});
    EXPECT_FALSE(ui::GetFileName(nullptr, {}).has_value());
    EXPECT_FALSE(ui::GetFileName(nullptr, {}).has_value()); // an empty name is a cancel
    EXPECT_FALSE(ui::GetFileName(nullptr, {}).has_value()); // no answer left
    EXPECT_EQ(script.Requests().size(), 3u);
}

} // namespace
