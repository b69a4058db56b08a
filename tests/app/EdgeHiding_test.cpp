// The main window's edge hiding, played out on a pretend screen 1920 × 1080.
#include "app/CofferDlg.h"
#include "platform/ui/FakeWindowHost.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
const QPoint kCursorAway(1000, 900);

ui::ScreenRect Rect(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// The mouse moves over the window's own client area.
void MouseMoveOver(QWidget& window) {
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), QPointF(20, 20), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &move);
}

class EdgeHidingTest : public ::testing::Test {
protected:
    void SetUp() override { host.SetScreenSize({kScreenWidth, kScreenHeight}); }

    // The window at this place, the mouse just moved over it and then away.
    void Start(ui::ScreenRect rect, QPoint cursor = kCursorAway) {
        host.SetWindowRect(rect);
        ASSERT_TRUE(dlg.Create());
        MouseMove();
        host.SetCursorPos(cursor);
    }

    void MouseMove() { MouseMoveOver(dlg); }

    ui::FakeWindowHost host;
    CCofferDlg dlg;
};

struct SlideCase {
    int height;
    int lastTop; // where the window ends
    int steps;   // moves of the slide
};

TEST_F(EdgeHidingTest, SlidesUpInTenPixelStepsLeavingAStrip) {
    const SlideCase cases[] = {
        {600, -590, 60}, // 10 rows stay
        {605, -600, 61}, // 5 rows stay
        {13, -10, 2},    // 3 rows stay
        {12, 0, 1},      // 12 rows stay: −10 would leave only 2
        {3, 0, 1},
    };
    for (const SlideCase& slide : cases) {
        SCOPED_TRACE(slide.height);
        ui::FakeWindowHost caseHost;
        caseHost.SetScreenSize({kScreenWidth, kScreenHeight});
        CCofferDlg window;
        caseHost.SetWindowRect(Rect(300, 0, 260, slide.height));
        ASSERT_TRUE(window.Create());
        MouseMoveOver(window);
        caseHost.SetCursorPos(kCursorAway);
        caseHost.Tick();

        ASSERT_EQ(static_cast<int>(caseHost.Moves().size()), slide.steps);
        for (std::size_t i = 0; i < caseHost.Moves().size(); ++i) {
            const ui::FakeWindowHost::Move& step = caseHost.Moves()[i];
            EXPECT_EQ(step.rect, Rect(300, -10 * static_cast<int>(i), 260, slide.height));
            EXPECT_TRUE(step.repaint);
        }
        EXPECT_EQ(caseHost.WindowRect().top, slide.lastTop);
        EXPECT_EQ(caseHost.Pauses(), slide.steps);
        EXPECT_EQ(caseHost.PausedMilliseconds(), slide.steps);
        EXPECT_TRUE(caseHost.IsTopmost());
        EXPECT_FALSE(caseHost.IsTimerRunning(100));
    }
}

TEST_F(EdgeHidingTest, AWindowOfTwoRowsOrLessIsNotMoved) {
    Start(Rect(300, 0, 260, 2));
    host.Tick();
    EXPECT_TRUE(host.Moves().empty());
    EXPECT_FALSE(host.IsTimerRunning(100)); // it counts as hidden all the same
    EXPECT_TRUE(host.IsTopmost());
}

TEST_F(EdgeHidingTest, AWindowPastTheLeftEdgeIsPutAtZeroFirst) {
    Start(Rect(-20, 300, 260, 600));
    host.Tick();
    ASSERT_GE(host.Moves().size(), 2u);
    EXPECT_EQ(host.Moves()[0].rect, Rect(0, 300, 260, 600));
    EXPECT_EQ(host.Moves()[1].rect, Rect(0, 0, 260, 600));
    EXPECT_EQ(host.WindowRect(), Rect(0, -590, 260, 600));
}

TEST_F(EdgeHidingTest, AWindowNearTheRightEdgeIsAlignedToItFirst) {
    Start(Rect(kScreenWidth - 3 - 260, 300, 260, 600));
    host.Tick();
    ASSERT_GE(host.Moves().size(), 2u);
    EXPECT_EQ(host.Moves()[0].rect, Rect(kScreenWidth - 260, 300, 260, 600));
    EXPECT_EQ(host.Moves()[1].rect, Rect(kScreenWidth - 260, 0, 260, 600));
    EXPECT_EQ(host.WindowRect(), Rect(kScreenWidth - 260, -590, 260, 600));
}

TEST_F(EdgeHidingTest, OnlyAWindowWithinFivePixelsOfAnEdgeHides) {
    struct Case {
        const char* name;
        ui::ScreenRect rect;
        bool hides;
    };
    const Case cases[] = {
        {"six from every edge", {6, 6, kScreenWidth - 6, 506}, false},
        {"middle of the screen", {700, 300, 960, 900}, false},
        {"bottom edge only", {700, 480, 960, kScreenHeight}, false},
        {"top 5", {700, 5, 960, 605}, true},
        {"left 5", {5, 300, 265, 900}, true},
        {"right at width - 5", {700, 300, kScreenWidth - 5, 900}, true},
    };
    for (const Case& place : cases) {
        SCOPED_TRACE(place.name);
        ui::FakeWindowHost caseHost;
        CCofferDlg window;
        caseHost.SetWindowRect(place.rect);
        ASSERT_TRUE(window.Create());
        MouseMoveOver(window);
        caseHost.SetCursorPos({0, kScreenHeight - 1}); // outside each of them
        caseHost.Tick();
        caseHost.Tick();
        EXPECT_EQ(!caseHost.Moves().empty(), place.hides);
        EXPECT_EQ(caseHost.IsTimerRunning(100), !place.hides);
        EXPECT_EQ(caseHost.IsTopmost(), place.hides);
    }
}

TEST_F(EdgeHidingTest, NothingHidesWhileTheCursorIsOverTheWindow) {
    const ui::ScreenRect rect = Rect(0, 0, 260, 600);
    for (QPoint inside : {QPoint(0, 0), QPoint(259, 599), QPoint(100, 300)}) {
        Start(rect, inside);
        for (int tick = 0; tick < 5; ++tick)
            host.Tick();
        EXPECT_TRUE(host.Moves().empty());
        EXPECT_TRUE(host.IsTimerRunning(100));
    }
    // The right and bottom edges are outside the window.
    host.SetCursorPos({260, 100});
    host.Tick();
    EXPECT_EQ(host.WindowRect().top, -590);
}

TEST_F(EdgeHidingTest, TheTimerRunsEveryTenthOfASecondUntilTheWindowHides) {
    Start(Rect(700, 300, 260, 600));
    EXPECT_EQ(host.TimerPeriod(100), 100);
    for (int tick = 0; tick < 10; ++tick)
        EXPECT_EQ(host.Tick(), 1);
    MouseMove(); // a running timer is not started again
    EXPECT_EQ(host.TimerStarts(), 1);
    EXPECT_TRUE(host.Moves().empty());

    host.SetWindowRect(Rect(700, 3, 260, 600)); // the user drags it to the top
    host.Tick();
    EXPECT_EQ(host.WindowRect().top, -590);
    EXPECT_FALSE(host.IsTimerRunning(100));
    EXPECT_EQ(host.Tick(), 0);
}

TEST_F(EdgeHidingTest, TouchingTheStripBringsTheWindowBackAtTheTop) {
    Start(Rect(0, 300, 260, 600)); // at the left edge, 300 down
    host.Tick();
    ASSERT_EQ(host.WindowRect().top, -590);
    host.ClearMoves();

    MouseMove();
    ASSERT_EQ(host.Moves().size(), 1u);
    EXPECT_EQ(host.Moves()[0].rect, Rect(0, 0, 260, 600));
    EXPECT_TRUE(host.Moves()[0].repaint);
    EXPECT_FALSE(host.IsTimerRunning(100)); // coming back does not start the watch
    EXPECT_TRUE(host.IsTopmost());          // and the window stays on top

    MouseMove();
    EXPECT_TRUE(host.IsTimerRunning(100));
    host.Tick(); // at the top edge now, so it hides again
    EXPECT_EQ(host.WindowRect().top, -590);
}

TEST_F(EdgeHidingTest, TheMainWindowWatchesMovesOverItself) {
    EXPECT_TRUE(dlg.hasMouseTracking());
}

} // namespace

namespace {

// The same rules on a real (offscreen) window, with Qt's timer, cursor and moves.
TEST(EdgeHidingOnScreenTest, AWindowAtTheTopSlidesUpWhenTheCursorLeavesIt) {
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    dlg.move(100, 0);
    const QRect shown = dlg.frameGeometry();
    QCursor::setPos(shown.center());
    MouseMoveOver(dlg);
    QCursor::setPos(shown.right() + 50, shown.bottom() - 10);

    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.frameGeometry().top() < 0; }, 3000));
    const QRect hidden = dlg.frameGeometry();
    EXPECT_EQ(hidden.left(), shown.left());
    EXPECT_EQ(hidden.size(), shown.size());
    const int rowsLeft = hidden.bottom() + 1;
    EXPECT_GE(rowsLeft, 3);
    EXPECT_LE(rowsLeft, 12);
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dlg.isVisible());

    MouseMoveOver(dlg); // the strip is touched
    EXPECT_EQ(dlg.frameGeometry().topLeft(), QPoint(shown.left(), 0));
}

} // namespace
