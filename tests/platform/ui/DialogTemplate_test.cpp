#include "platform/ui/DialogTemplate.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MenuResource.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(DialogTemplateTest, ParsesHeadAndControls) {
    ui::DialogTemplate parsed = ui::DialogTemplate::Parse(R"(
# comment
DIALOG 7 "银匣 V1.00" 149 298 "宋体" 9 caption sysmenu
PUSHBUTTON 1010 "系统设置" 4 283 62 14 disabled
LTEXT -1 "备注:" 1 2 3 4
)");
    EXPECT_EQ(parsed.id, 7);
    EXPECT_EQ(parsed.caption, "银匣 V1.00");
    EXPECT_EQ(parsed.cx, 149);
    EXPECT_EQ(parsed.cy, 298);
    EXPECT_EQ(parsed.fontName, "宋体");
    ASSERT_EQ(parsed.controls.size(), 2u);
    const ui::ControlTemplate* settings = parsed.Find(1010);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->kind, ui::ControlKind::PushButton);
    EXPECT_EQ(settings->text, "系统设置");
    EXPECT_TRUE(settings->Has("disabled"));
    EXPECT_EQ(settings->y, 283);
    EXPECT_EQ(parsed.controls[1].text, "备注:");
}

TEST(DialogTemplateTest, MalformedLinesNameTheLine) {
    const char* bad[] = {
        "DIALOG 1 \"x\" 10 10 \"宋体\" 9\nBUTTONX 1 \"a\" 1 1 1 1",
        "DIALOG 1 \"x\" 10 10 \"宋体\" 9\nLTEXT 1 \"a\" 1 1 1",
        "DIALOG 1 \"x\" 10 10 \"宋体\" 9\nLTEXT 1 \"a 1 1 1 1",
        "LTEXT 1 \"a\" 1 1 1 1",
        "DIALOG 1 \"x\" 1o 10 \"宋体\" 9",
    };
    for (const char* text : bad)
        EXPECT_THROW(ui::DialogTemplate::Parse(text), std::runtime_error) << text;
    try {
        ui::DialogTemplate::Parse("DIALOG 1 \"x\" 10 10 \"宋体\" 9\n\nLTEXT 1 \"a\" 1 1 1");
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos);
    }
}

TEST(DialogTemplateTest, EveryShippedTemplateParses) {
    // The main window's template is part of the program.
    const ui::DialogTemplate& main = ui::DialogTemplate::Load(102);
    EXPECT_EQ(main.caption, "银匣 V1.00");
    EXPECT_EQ(main.cx, 149);
    EXPECT_EQ(main.cy, 298);
    EXPECT_EQ(main.controls.size(), 7u);
}

TEST(DialogUnitsTest, ConvertsLikeThePlatform) {
    const ui::DialogUnits units(7, 14); // a 7-pixel average character, 14 pixels high
    EXPECT_EQ(units.ToPixelsX(4), 7);
    EXPECT_EQ(units.ToPixelsY(8), 14);
    EXPECT_EQ(units.ToPixelsX(149), 261); // 149 * 7 / 4 = 260.75
    EXPECT_EQ(units.ToPixelsY(298), 522);
    EXPECT_EQ(units.ToPixelsX(1), 2);   // 1.75 rounds up
    EXPECT_EQ(units.ToPixelsX(-3), -5); // negative values round away from zero
    EXPECT_EQ(units.ToPixels(3, 46, 142, 234), QRect(5, 81, 249, 410));
}

TEST(DialogUnitsTest, FollowTheFontActuallyUsed) {
    QFont small;
    small.setPixelSize(10);
    QFont large;
    large.setPixelSize(20);
    EXPECT_LT(ui::DialogUnits(small).BaseY(), ui::DialogUnits(large).BaseY());
    EXPECT_LE(ui::DialogUnits(small).BaseX(), ui::DialogUnits(large).BaseX());
    EXPECT_GT(ui::DialogUnits(small).BaseX(), 0);
}

TEST(MenuResourceTest, ParsesPopupsAndTheShippedMenu) {
    ui::MenuResource menu =
        ui::MenuResource::Parse("POPUP 文件\n1 甲\nSEPARATOR\n2 乙\nPOPUP 空\n");
    ASSERT_EQ(menu.GetPopupCount(), 2);
    EXPECT_EQ(menu.GetSubMenu(0)->items.size(), 3u);
    EXPECT_TRUE(menu.GetSubMenu(0)->items[1].IsSeparator());
    EXPECT_EQ(menu.GetSubMenu(2), nullptr);
    EXPECT_THROW(ui::MenuResource::Parse("1 甲"), std::runtime_error);
    EXPECT_EQ(ui::MenuResource::Parse("POPUP a\n  7   甲 乙  \n").GetSubMenu(0)->items[0].text,
              "甲 乙");

    ui::MenuResource shipped = ui::MenuResource::Load(129);
    ASSERT_EQ(shipped.GetPopupCount(), 3);
    // New settings go before 退出, which stays last.
    EXPECT_EQ(shipped.GetSubMenu(0)->items[2].id, 32795);
    EXPECT_EQ(shipped.GetSubMenu(0)->items[2].text, "备份与恢复…");
    EXPECT_EQ(shipped.GetSubMenu(0)->items[3].id, 32796);
    EXPECT_EQ(shipped.GetSubMenu(0)->items[3].text, "导入记录…");
    EXPECT_EQ(shipped.GetSubMenu(0)->items[6].id, 32799);
    EXPECT_EQ(shipped.GetSubMenu(0)->items[6].text, "账本位置…");
    EXPECT_EQ(shipped.GetSubMenu(0)->items.back().id, 32794);
    EXPECT_EQ(shipped.GetSubMenu(0)->items.back().text, "退出");
    EXPECT_EQ(shipped.GetSubMenu(2)->items[1].id, 32802);
    EXPECT_EQ(ui::LoadResourceString(101), "关于 Coffer(&A)...");
    EXPECT_EQ(ui::LoadResourceString(999), "");
}

// Found by fuzzing: an id that is not a number, or one too large for an int, escaped as
// std::invalid_argument or std::out_of_range instead of the parser's own error.
TEST(MenuResourceTest, MalformedIdsAreRefusedAsBadLines) {
    for (const char* entry :
         {"x 甲", "99999999999 甲", "12abc 甲", "-5 甲", "+5 甲", "0 甲", "1\t甲"}) {
        SCOPED_TRACE(entry);
        EXPECT_THROW(ui::MenuResource::Parse(std::string("POPUP 文件\n") + entry),
                     std::runtime_error);
    }
}

} // namespace
