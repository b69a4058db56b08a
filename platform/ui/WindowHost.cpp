#include "platform/ui/WindowHost.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace ui {
namespace {

const char* const kTimerId = "coffer_timer_id";

QTimer* FindTimer(QWidget* window, int id) {
    for (QTimer* timer : window->findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
        const QVariant timerId = timer->property(kTimerId);
        if (timerId.isValid() && timerId.toInt() == id)
            return timer;
    }
    return nullptr;
}

class QtWindowHost : public WindowHost {
public:
    ScreenRect GetWindowRect(QWidget* window) override {
        const QRect frame = window->frameGeometry();
        return {frame.left(), frame.top(), frame.left() + frame.width(),
                frame.top() + frame.height()};
    }

    QPoint GetCursorPos() override { return QCursor::pos(); }

    void MoveWindow(QWidget* window, int x, int y, int width, int height, bool repaint) override {
        // Qt places a top-level window by its frame but sizes it by its client area.
        const QSize frame = window->frameGeometry().size();
        const QSize client = window->size();
        const QSize wanted(width - (frame.width() - client.width()),
                           height - (frame.height() - client.height()));
        window->move(x, y);
        if (wanted != client && !wanted.isEmpty())
            window->resize(wanted);
        if (repaint && window->isVisible()) {
            window->repaint();
            // Hand the move and the picture to the window system now, so that a slide is
            // seen step by step; no input and no timer runs in between.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::X11ExcludeTimers);
        }
    }

    void SetTimer(QWidget* window, int id, int milliseconds,
                  std::function<void(int)> tick) override {
        QTimer* timer = FindTimer(window, id);
        if (timer == nullptr) {
            timer = new QTimer(window);
            timer->setProperty(kTimerId, id);
        }
        QObject::disconnect(timer, &QTimer::timeout, nullptr, nullptr);
        QObject::connect(timer, &QTimer::timeout, window,
                         [id, tick = std::move(tick)] { tick(id); });
        timer->start(milliseconds);
    }

    void KillTimer(QWidget* window, int id) override {
        QTimer* timer = FindTimer(window, id);
        if (timer == nullptr)
            return;
        timer->stop();
        timer->setProperty(kTimerId, QVariant());
        timer->deleteLater(); // its own tick may be the caller
    }

    void SetTopmost(QWidget* window) override {
        // Recreating the window (setWindowFlags) would hide it; the window handle takes the
        // hint as it is.
        window->overrideWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint);
        if (QWindow* handle = window->windowHandle())
            handle->setFlags(window->windowFlags());
    }

    void Sleep(int milliseconds) override {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    }

    QSize GetScreenSize() override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen != nullptr ? screen->geometry().size() : QSize();
    }
};

QtWindowHost g_qtWindowHost;
WindowHost* g_host = &g_qtWindowHost;

} // namespace

WindowHost& CurrentWindowHost() {
    return *g_host;
}

WindowHost* SetWindowHost(WindowHost* host) {
    WindowHost* previous = g_host;
    g_host = host != nullptr ? host : &g_qtWindowHost;
    return previous == &g_qtWindowHost ? nullptr : previous;
}

} // namespace ui
