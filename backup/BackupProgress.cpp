#include "backup/BackupProgress.h"

#include "backup/BackupTexts.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace {

constexpr int kPollMs = 30;

} // namespace

CBackupProgress::CBackupProgress(QWidget* owner, const std::string& label, bool cancellable)
    : m_dialog(QString::fromStdString(label), QString::fromStdString(CBackupTexts::Cancel()), 0,
               kSteps, owner),
      m_bCancellable(cancellable) {
    m_dialog.setWindowTitle(QString::fromStdString(CBackupTexts::Caption()));
    // Nothing else is touched while the ledger is copied: it is being read or replaced.
    m_dialog.setWindowModality(Qt::ApplicationModal);
    m_dialog.setMinimumDuration(kShowAfterMs);
    m_dialog.setAutoReset(false);
    m_dialog.setAutoClose(false);
    if (!cancellable)
        m_dialog.setCancelButton(nullptr);
    m_dialog.reset();
}

void CBackupProgress::Run(const std::function<void(const ado::CopyProgress&)>& work) {
    std::atomic<long long> done{0};
    std::atomic<long long> total{-1}; // −1: nothing reported yet
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::exception_ptr thrown;

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (m_bCancellable && m_dialog.wasCanceled())
            stop = true;
        const long long pages = total;
        if (m_dialog.wasCanceled()) {
        } else if (pages == 0) {
            // A step of unknown length (a check): the bar shows it busy.
            m_dialog.setRange(0, 0);
        } else if (pages > 0) {
            if (m_dialog.maximum() != kSteps)
                m_dialog.setRange(0, kSteps);
            m_dialog.setValue(static_cast<int>(done * kSteps / pages));
        }
        if (finished)
            loop.quit();
    });
    m_dialog.setValue(0);
    std::thread worker([&] {
        try {
            work([&](long long pagesDone, long long pages) {
                done = pagesDone;
                total = pages;
                return !stop;
            });
        } catch (...) {
            thrown = std::current_exception();
        }
        finished = true;
    });
    poll.start();
    loop.exec();
    worker.join();
    m_dialog.setRange(0, kSteps);
    m_dialog.reset();
    m_dialog.hide();
    if (thrown)
        std::rethrow_exception(thrown);
}
