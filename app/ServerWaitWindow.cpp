#include "app/ServerWaitWindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>

namespace {

bool OnWindowsThread() {
    return QCoreApplication::instance() != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

CServerWaitWindow::CServerWaitWindow() {
    ado::SetServerWait(this);
}

CServerWaitWindow::~CServerWaitWindow() {
    ado::SetServerWait(nullptr);
}

bool CServerWaitWindow::Waiting(std::chrono::milliseconds waited) {
    // Work on other threads (a backup, the phone page's requests) has no window to keep drawn.
    if (!OnWindowsThread())
        return true;
    if (!m_window) {
        m_window = std::make_unique<QProgressDialog>(QString::fromUtf8(kText),
                                                     QStringLiteral("取消"), 0, 0);
        m_window->setWindowTitle(QStringLiteral("银匣"));
        m_window->setAccessibleName(QString::fromUtf8(kText));
        // Nothing else is clicked meanwhile: the window that waits has not finished its work.
        m_window->setWindowModality(Qt::ApplicationModal);
        m_window->setAutoReset(false);
        m_window->setAutoClose(false);
        m_window->setMinimumDuration(0);
        m_window->reset();
        m_window->hide();
    }
    ++m_depth;
    if (waited.count() >= kShowAfterMs && !m_window->isVisible()) {
        m_window->reset();
        m_window->setRange(0, 0);
        m_window->show();
    }
    // Until the window shows, a click waits its turn as it would without this: a second 添加
    // pressed meanwhile runs after the first, not inside it.
    QCoreApplication::processEvents(m_window->isVisible() ? QEventLoop::AllEvents
                                                          : QEventLoop::ExcludeUserInputEvents);
    --m_depth;
    return !m_window->wasCanceled();
}

void CServerWaitWindow::Done() {
    // A wait inside another's (a window served meanwhile that waits too) leaves the window to
    // the outer one.
    if (m_window && m_depth == 0) {
        m_window->hide();
        m_window->reset(); // a 取消 is for the statement it was pressed for
    }
}
