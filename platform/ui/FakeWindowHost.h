#pragma once

#include "platform/ui/WindowHost.h"

#include <map>
#include <vector>

namespace ui {

/// Window-host seam for tests: while it lives, windows live on a pretend screen. It holds
/// one window rectangle and the cursor, records moves, repaints, pauses and the topmost
/// request, and runs timers only when the test calls Tick.
class FakeWindowHost : public WindowHost {
public:
    FakeWindowHost();
    ~FakeWindowHost() override;
    FakeWindowHost(const FakeWindowHost&) = delete;
    FakeWindowHost& operator=(const FakeWindowHost&) = delete;

    struct Move {
        ScreenRect rect;
        bool repaint = false;
    };

    void SetScreenSize(QSize size) { m_screen = size; }
    void SetWindowRect(ScreenRect rect) { m_rect = rect; }
    void SetCursorPos(QPoint point) { m_cursor = point; }

    ScreenRect WindowRect() const { return m_rect; }
    const std::vector<Move>& Moves() const { return m_moves; }
    void ClearMoves() { m_moves.clear(); }
    bool IsTopmost() const { return m_bTopmost; }
    /// How many pauses were asked for, and their total length.
    int Pauses() const { return m_nPauses; }
    int PausedMilliseconds() const { return m_nPausedMs; }
    bool IsTimerRunning(int id) const { return m_timers.count(id) != 0; }
    /// The period of a running timer, 0 when it is not running.
    int TimerPeriod(int id) const;
    /// How many times SetTimer was called.
    int TimerStarts() const { return m_nTimerStarts; }
    /// One period passes: every running timer ticks once. Returns how many ticked.
    int Tick();

    ScreenRect GetWindowRect(QWidget* window) override;
    QPoint GetCursorPos() override { return m_cursor; }
    void MoveWindow(QWidget* window, int x, int y, int width, int height, bool repaint) override;
    void SetTimer(QWidget* window, int id, int milliseconds,
                  std::function<void(int id)> tick) override;
    void KillTimer(QWidget* window, int id) override;
    void SetTopmost(QWidget* window) override;
    void Sleep(int milliseconds) override;
    QSize GetScreenSize() override { return m_screen; }

private:
    struct Timer {
        int period = 0;
        std::function<void(int)> tick;
    };

    WindowHost* m_previous;
    QSize m_screen{1920, 1080};
    ScreenRect m_rect;
    QPoint m_cursor;
    std::vector<Move> m_moves;
    std::map<int, Timer> m_timers;
    bool m_bTopmost = false;
    int m_nPauses = 0, m_nPausedMs = 0, m_nTimerStarts = 0;
};

} // namespace ui
