#include "controls/ReportHeaderCtrl.h"

#include "tests/controls/HeadingClick.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Writes down every drawing call as one line of text.
class RecordingPainter : public CHeaderPainter {
public:
    void Save() override { m_calls.push_back("save"); }
    void Restore() override { m_calls.push_back("restore"); }
    void SetClipRect(const QRect& rect) override { m_calls.push_back("clip " + Rect(rect)); }
    void FillRect(const QRect& rect, Colour colour) override {
        m_calls.push_back("fill " + Rect(rect) + " " + Name(colour));
    }
    void DrawText(const QRect& rect, const std::string& text, Align align) override {
        static const char* const names[] = {"left", "center", "right"};
        m_calls.push_back("text " + Rect(rect) + " " + text + " " + names[static_cast<int>(align)]);
    }
    void SelectPen(Colour colour) override { m_calls.push_back("pen " + Name(colour)); }
    void MoveTo(int x, int y) override { m_calls.push_back("move " + Point(x, y)); }
    void LineTo(int x, int y) override { m_calls.push_back("line " + Point(x, y)); }

    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (const std::string& call : m_calls) {
            if (call.rfind("pen", 0) == 0 || call.rfind("move", 0) == 0 || call.rfind("line", 0) == 0)
                out.push_back(call);
        }
        return out;
    }
    std::vector<std::string> m_calls;

private:
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    static std::string Rect(const QRect& r) {
        return Point(r.x(), r.y()) + " " + std::to_string(r.width()) + "x" + std::to_string(r.height());
    }
    static std::string Name(Colour colour) {
        return colour == Colour::ButtonFace ? "face" : colour == Colour::ButtonHighlight ? "light" : "dark";
    }
};

struct HeaderFixture : ::testing::Test {
    HeaderFixture() {
        list.resize(400, 200);
        list.InsertColumn(0, "编号", ui::LVCFMT_LEFT, 100);
        list.InsertColumn(1, "金额", ui::LVCFMT_RIGHT, 80);
        list.InsertColumn(2, "日期", ui::LVCFMT_CENTER, 80);
        list.InsertItem(0, "2", "9.5", "2010-11-17 09时");
        list.InsertItem(1, "1", "10.5", "2010-11-16 09时");
        list.show();
    }
    void ClickHeading(int column) { ::ClickHeading(list, column); }
    std::vector<std::string> Draw(int item, const QRect& rect) {
        RecordingPainter painter;
        list.GetReportHeader().DrawItem(painter, rect, item);
        return painter.m_calls;
    }
    std::vector<std::string> DrawLines(int item, const QRect& rect) {
        RecordingPainter painter;
        list.GetReportHeader().DrawItem(painter, rect, item);
        return painter.Lines();
    }

    CReportCtrl list;
};

} // namespace

TEST_F(HeaderFixture, AscendingTrianglePointsUp) {
    ClickHeading(0);
    // Height 20: o = 5.
    EXPECT_EQ(DrawLines(0, QRect(0, 0, 100, 20)),
              (std::vector<std::string>{"pen light", "move 90,5", "line 95,14", "line 83,14",
                                        "pen dark", "move 84,14", "line 90,4"}));
    // Height 24: o = 6; a heading further right counts x from its own right edge.
    EXPECT_EQ(DrawLines(0, QRect(100, 0, 80, 24)),
              (std::vector<std::string>{"pen light", "move 168,6", "line 174,17", "line 160,17",
                                        "pen dark", "move 161,17", "line 168,5"}));
}

TEST_F(HeaderFixture, DescendingTrianglePointsDown) {
    ClickHeading(0);
    ClickHeading(0);
    EXPECT_EQ(DrawLines(0, QRect(0, 0, 100, 20)),
              (std::vector<std::string>{"pen light", "move 94,5", "line 89,15", "pen dark",
                                        "move 88,15", "line 84,5", "line 94,5"}));
    EXPECT_EQ(DrawLines(0, QRect(0, 0, 100, 24)),
              (std::vector<std::string>{"pen light", "move 93,6", "line 87,18", "pen dark",
                                        "move 86,18", "line 81,6", "line 93,6"}));
}

TEST_F(HeaderFixture, LabelMakesRoomForTheTriangle) {
    ClickHeading(1);
    EXPECT_EQ(Draw(1, QRect(0, 0, 100, 20)),
              (std::vector<std::string>{"save", "clip 0,0 100x20", "fill 0,0 100x20 face",
                                        "text 5,0 75x20 金额 right", "pen light", "move 90,5",
                                        "line 95,14", "line 83,14", "pen dark", "move 84,14",
                                        "line 90,4", "restore"}));
    // Too narrow for any label: no text, the triangle still.
    const std::vector<std::string> narrow = Draw(1, QRect(0, 0, 20, 20));
    EXPECT_EQ(std::count_if(narrow.begin(), narrow.end(),
                            [](const std::string& call) { return call.rfind("text", 0) == 0; }),
              0);
}

TEST_F(HeaderFixture, OnceSortedHeadingStaysOwnerDrawnWithoutTriangle) {
    auto& header = list.GetReportHeader();
    EXPECT_EQ(header.GetItemFormat(2) & ui::HDF_OWNERDRAW, 0);
    ClickHeading(2);
    ClickHeading(1);
    EXPECT_NE(header.GetItemFormat(2) & ui::HDF_OWNERDRAW, 0);
    EXPECT_EQ(header.GetItemFormat(2) & ui::LVCFMT_JUSTIFYMASK, ui::LVCFMT_CENTER);
    EXPECT_EQ(header.GetItemFormat(0) & ui::HDF_OWNERDRAW, 0);
    EXPECT_EQ(Draw(2, QRect(180, 0, 80, 20)),
              (std::vector<std::string>{"save", "clip 180,0 80x20", "fill 180,0 80x20 face",
                                        "text 185,0 70x20 日期 center", "restore"}));
}

TEST_F(HeaderFixture, PressedHeadingShiftsItsLabel) {
    ClickHeading(2);
    auto& header = list.GetReportHeader();
    const QPoint inside(header.sectionViewportPosition(0) + 5, header.height() / 2);
    QTest::mousePress(header.viewport(), Qt::LeftButton, {}, inside);
    ASSERT_TRUE(header.IsItemPressed(0));
    const std::vector<std::string> pressed = Draw(0, QRect(0, 0, 100, 20));
    QTest::mouseRelease(header.viewport(), Qt::LeftButton, {}, inside);
    EXPECT_FALSE(header.IsItemPressed(0));
    EXPECT_NE(std::find(pressed.begin(), pressed.end(), "text 6,2 90x18 编号 left"), pressed.end());
}
