#pragma once

#include <QPoint>
#include <QSize>

#include <functional>

class QWidget;

namespace ui {

/// A window rectangle in screen pixels, right and bottom outside it.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    /// Left and top edges inside, right and bottom edges outside.
    bool Contains(QPoint point) const {
        return point.x() >= left && point.x() < right && point.y() >= top && point.y() < bottom;
    }
    bool operator==(const ScreenRect&) const = default;
};

/// What a window needs of the desktop to move itself around: its outer rectangle, the
/// cursor, moves, timers, staying on top, short pauses and the primary screen's size. The
/// default works on the real windows; tests install a fake to play out the geometry.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    /// The window's outer rectangle (frame included) in screen pixels.
    virtual ScreenRect GetWindowRect(QWidget* window) = 0;
    /// The mouse cursor in screen pixels.
    virtual QPoint GetCursorPos() = 0;
    /// Puts the window's outer rectangle at (x, y) with that size; with repaint, the window
    /// is drawn there at once.
    virtual void MoveWindow(QWidget* window, int x, int y, int width, int height, bool repaint) = 0;
    /// Starts (or restarts) the window's timer with this id; tick is called every period.
    virtual void SetTimer(QWidget* window, int id, int milliseconds,
                          std::function<void(int id)> tick) = 0;
    virtual void KillTimer(QWidget* window, int id) = 0;
    /// Keeps the window above the others from now on, without moving or resizing it.
    virtual void SetTopmost(QWidget* window) = 0;
    /// Blocks the calling thread for a moment.
    virtual void Sleep(int milliseconds) = 0;
    /// The primary screen's size in pixels.
    virtual QSize GetScreenSize() = 0;
};

/// The host in use.
WindowHost& CurrentWindowHost();
/// Installs a host (null restores the default); returns the previous one.
WindowHost* SetWindowHost(WindowHost* host);

} // namespace ui
