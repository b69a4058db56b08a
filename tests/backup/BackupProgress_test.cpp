// The progress window of a long copy: the copy runs on a thread of its own, the window
// follows its pages, the program keeps serving events, and 取消 stops a backup but not a
// restore.
#include "backup/BackupProgress.h"
#include "backup/BackupTexts.h"
#include "tests/backup/BackupFixture.h"

#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Waits on the copy's thread until `ready` holds; false after five seconds.
template <typename Ready> bool WaitFor(Ready ready) {
    const auto limit = Clock::now() + std::chrono::seconds(5);
    while (!ready()) {
        if (Clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Calls `tick` on this thread every few milliseconds while the copy runs.
class Ticker {
public:
    template <typename Tick> explicit Ticker(Tick tick) {
        QObject::connect(&m_timer, &QTimer::timeout, tick);
        m_timer.start(5);
    }

private:
    QTimer m_timer;
};

class BackupProgressTest : public BackupFixture {};

TEST_F(BackupProgressTest, TheWindowFollowsThePagesWhileEventsAreServed) {
    CBackupProgress progress(nullptr, CBackupTexts::BackingUp(), true);
    progress.Window().setMinimumDuration(0);
    std::atomic<int> shown{-1};
    std::atomic<bool> visible{false};
    std::atomic<bool> busy{false};
    Ticker ticker([&] {
        shown = progress.Window().value();
        busy = progress.Window().maximum() == 0;
        visible = visible || progress.Window().isVisible();
    });
    bool sawHalf = false, sawAll = false, sawBusy = false, sawQuarter = false;
    progress.Run([&](const ado::CopyProgress& report) {
        EXPECT_TRUE(report(500, 1000));
        // Only a thread serving its events can show the value.
        sawHalf = WaitFor([&] { return shown == CBackupProgress::kSteps / 2; });
        EXPECT_TRUE(report(1000, 1000));
        sawAll = WaitFor([&] { return shown == CBackupProgress::kSteps; });
        // A step of unknown length (a check) turns the bar busy, the next pages back.
        EXPECT_TRUE(report(0, 0));
        sawBusy = WaitFor([&] { return busy.load(); });
        EXPECT_TRUE(report(1, 4));
        sawQuarter = WaitFor([&] { return !busy && shown == CBackupProgress::kSteps / 4; });
    });
    EXPECT_TRUE(sawHalf);
    EXPECT_TRUE(sawAll);
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(sawQuarter);
    EXPECT_TRUE(visible);
    EXPECT_FALSE(progress.Window().isVisible());
    EXPECT_EQ(progress.Window().labelText().toStdString(), "正在备份账本…");
}

TEST_F(BackupProgressTest, CancellingStopsABackupAndLeavesNothing) {
    testing_support::AddRecords(Ledger(), 40000);
    CBackupProgress progress(nullptr, CBackupTexts::BackingUp(), true);
    Ticker ticker([&] { progress.Window().cancel(); });
    ado::LedgerCopyResult result;
    progress.Run([&](const ado::CopyProgress& report) {
        result = m_folder.BackUpNow({}, [&](long long done, long long total) {
            // Holds the copy at its first step until the click has reached it.
            return !WaitFor([&] { return !report(done, total); });
        });
    });
    EXPECT_EQ(result.problem, ado::CopyProblem::Cancelled);
    EXPECT_TRUE(m_folder.List().empty());
}

TEST_F(BackupProgressTest, ARestoreRunsToTheEndWhateverIsClicked) {
    const BackupEntry backup = BackUpOn(1, 30000);
    testing_support::AddRecords(Ledger(), 5);
    m_now = COleDateTime(2026, 11, 2, 9, 0, 0);
    CBackupProgress progress(nullptr, CBackupTexts::Restoring(), false);
    Ticker ticker([&] { progress.Window().cancel(); });
    RestoreOutcome outcome;
    int reports = 0;
    progress.Run([&](const ado::CopyProgress& report) {
        outcome = m_folder.Restore(backup, [&](long long done, long long total) {
            ++reports;
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            return report(done, total);
        });
    });
    EXPECT_EQ(outcome.step, RestoreOutcome::Done) << outcome.result.detail;
    EXPECT_GT(reports, 2);
    EXPECT_EQ(testing_support::ScalarOn(Ledger(), "SELECT count(*) FROM normalIncome"), "30000");
}

// A restore saves the ledger and then copies the backup back, each copy checked afterwards;
// its bar is one: it never runs from empty a second time, and shows the checks busy rather
// than standing still.
TEST_F(BackupProgressTest, ARestoreIsOneRisingBarWithItsChecksShownBusy) {
    const BackupEntry backup = BackUpOn(1, 30000);
    testing_support::AddRecords(Ledger(), 5);
    m_now = COleDateTime(2026, 11, 2, 9, 0, 0);
    std::vector<std::pair<long long, long long>> reports;
    const RestoreOutcome outcome = m_folder.Restore(backup, [&](long long done, long long total) {
        reports.emplace_back(done, total);
        return true;
    });
    ASSERT_EQ(outcome.step, RestoreOutcome::Done) << outcome.result.detail;
    ASSERT_GT(reports.size(), 4u);
    // The backup is checked before anything is copied, the ledger after the last page.
    EXPECT_EQ(reports.front(), std::make_pair(0LL, 0LL));
    EXPECT_EQ(reports.back(), std::make_pair(0LL, 0LL));
    double previous = 0;
    int busyBetween = 0;
    bool halfway = false;
    for (const auto& [done, total] : reports) {
        if (total == 0) {
            busyBetween += halfway && previous < 1 ? 1 : 0;
            continue;
        }
        const double fraction = static_cast<double>(done) / static_cast<double>(total);
        EXPECT_GE(fraction, previous) << done << " of " << total;
        previous = fraction;
        halfway = halfway || fraction >= 0.5;
    }
    EXPECT_DOUBLE_EQ(previous, 1.0);
    // The saved copy's check, between the two halves.
    EXPECT_GT(busyBetween, 0);
}

TEST_F(BackupProgressTest, WhatTheCopyThrowsIsThrownToTheCaller) {
    CBackupProgress progress(nullptr, CBackupTexts::BackingUp(), true);
    EXPECT_THROW(progress.Run([](const ado::CopyProgress&) { throw std::runtime_error("x"); }),
                 std::runtime_error);
}

} // namespace
