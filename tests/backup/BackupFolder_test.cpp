// The backups folder beside the ledger: names, listing, when a backup is due, rotation of
// real files, and restoring through it.
#include "backup/BackupFolder.h"
#include "platform/ole/Clock.h"
#include "tests/backup/LedgerFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using testing_support::TestDb;

// Fixes "now" for the test's lifetime.
class FixedClock {
public:
    explicit FixedClock(const COleDateTime& now) : m_now(now) {
        ole::SetClock([this] { return m_now; });
    }
    ~FixedClock() { ole::ResetClock(); }
    void Set(const COleDateTime& now) { m_now = now; }

private:
    COleDateTime m_now;
};

struct NameCase {
    const char* name;
    bool valid;
};

const NameCase kNames[] = {
    {"data-20261207-063147.mdb", true},          {"data-20280229-235959.mdb", true},
    {"data-20270229-120000.mdb", false},         {"data-20261307-063147.mdb", false},
    {"data-20261207-246000.mdb", false},         {"data-2026127-063147.mdb", false},
    {"data-20261207-063147.MDB", false},         {"Data-20261207-063147.mdb", false},
    {"data-20261207_063147.mdb", false},         {".data-20261207-063147.mdb.12.part", false},
    {"data-20261207-063147.mdb-journal", false}, {"damaged-20261207-063147.mdb", false},
};

TEST(BackupFolderTest, OnlyExactBackupNamesAreBackups) {
    for (const NameCase& entry : kNames) {
        COleDateTime time;
        EXPECT_EQ(CBackupFolder::ParseFileName(entry.name, time), entry.valid) << entry.name;
        if (entry.valid) {
            EXPECT_EQ(CBackupFolder::FileNameFor(time), entry.name);
        }
    }
}

TEST(BackupFolderTest, BackUpNowNamesTheFileAfterTheClockBesideTheLedger) {
    TestDb db;
    FixedClock clock(COleDateTime(2026, 12, 7, 6, 31, 47));
    CBackupFolder folder(db.FilePath().string());
    EXPECT_EQ(folder.Folder(), (db.Directory() / "backups").string());

    ASSERT_TRUE(folder.BackUpNow().Ok());
    ASSERT_TRUE(folder.BackUpNow().Ok()); // the same second: the next one is taken

    EXPECT_EQ(testing_support::Names(folder.Folder()),
              "data-20261207-063147.mdb\ndata-20261207-063148.mdb\n");
    EXPECT_EQ(testing_support::Mode(folder.Folder()), 0700u);
    const std::vector<BackupEntry> entries = folder.List();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "data-20261207-063148.mdb");
    EXPECT_EQ(entries[0].size, fs::file_size(entries[0].path));
    EXPECT_EQ(testing_support::Mode(entries[0].path), 0600u);
}

TEST(BackupFolderTest, ABackupIsDueOnlyWhenTheLedgerChanged) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    FixedClock clock(COleDateTime(2026, 12, 7, 8, 0, 0));
    CBackupFolder folder(ledger);
    EXPECT_TRUE(folder.LedgerChangedSinceBackup()); // no backup yet
    ASSERT_TRUE(folder.BackUpNow().Ok());
    EXPECT_FALSE(folder.LedgerChangedSinceBackup());
    // Reading the ledger changes nothing.
    testing_support::ScalarOn(ledger, "SELECT count(*) FROM normalIncome");
    EXPECT_FALSE(folder.LedgerChangedSinceBackup());
    testing_support::AddRecords(ledger, 1);
    EXPECT_TRUE(folder.LedgerChangedSinceBackup());
    clock.Set(COleDateTime(2026, 12, 8, 8, 0, 0));
    ASSERT_TRUE(folder.BackUpNow().Ok());
    EXPECT_FALSE(folder.LedgerChangedSinceBackup());
}

TEST(BackupFolderTest, RotationDeletesOnlyOldBackupsAndLeftovers) {
    TestDb db;
    FixedClock clock(COleDateTime(2026, 10, 20, 21, 0, 0));
    CBackupFolder folder(db.FilePath().string());
    fs::create_directories(folder.Folder());
    // Files that are not backups, and a temporary copy of a backup still running here.
    const std::string alive = ado::TemporaryCopyName(folder.Folder() + "/data-x.mdb", ::getpid());
    for (const std::string& name : {std::string("notes.txt"), std::string("data-old.mdb"),
                                    std::string("damaged-20261001-000000.mdb"), alive}) {
        std::ofstream(fs::path(folder.Folder()) / fs::path(name).filename()) << "x";
    }
    std::ofstream(folder.Folder() + "/.data-20261019-210000.mdb.999999999.part") << "x";
    for (int day = 0; day < 40; ++day) {
        clock.Set(COleDateTime(2026, 10, 20, 21, 0, 0) + day);
        ASSERT_TRUE(folder.BackUpNow().Ok());
    }
    // 40 days up to 28 November: the newest ten, and the end of October.
    std::string expected = ".data-x.mdb." + std::to_string(::getpid()) + ".part\n" +
                           "damaged-20261001-000000.mdb\ndata-20261031-210000.mdb\n";
    for (int day = 19; day <= 28; ++day)
        expected += "data-202611" + std::to_string(day) + "-210000.mdb\n";
    expected += "data-old.mdb\nnotes.txt\n";
    EXPECT_EQ(testing_support::Names(folder.Folder()), expected);
}

TEST(BackupFolderTest, RestoreSavesTheLedgerFirstThenBringsTheBackupBack) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    FixedClock clock(COleDateTime(2026, 11, 1, 9, 0, 0));
    CBackupFolder folder(ledger);
    testing_support::AddRecords(ledger, 100);
    ASSERT_TRUE(folder.BackUpNow().Ok());
    const BackupEntry chosen = folder.List().front();
    testing_support::AddRecords(ledger, 50);
    const std::string current = testing_support::DumpLedger(ledger);
    clock.Set(COleDateTime(2026, 11, 2, 9, 0, 0));

    const RestoreOutcome outcome = folder.Restore(chosen);

    ASSERT_EQ(outcome.step, RestoreOutcome::Done) << outcome.result.detail;
    EXPECT_EQ(outcome.result.incomeRecords, 100);
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == testing_support::DumpLedger(chosen.path));
    const std::vector<BackupEntry> entries = folder.List();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "data-20261102-090000.mdb");
    EXPECT_TRUE(testing_support::DumpLedger(entries[0].path) == current);
    EXPECT_TRUE(outcome.damagedCopy.empty());
}

TEST(BackupFolderTest, ABadBackupIsRefusedBeforeAnythingIsWritten) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    FixedClock clock(COleDateTime(2026, 11, 1, 9, 0, 0));
    CBackupFolder folder(ledger);
    fs::create_directories(folder.Folder());
    std::ofstream(folder.Folder() + "/data-20261031-090000.mdb") << "SQLite format 3 - no";
    const std::string before = testing_support::DumpLedger(ledger);

    const RestoreOutcome outcome = folder.Restore(folder.List().front());

    EXPECT_EQ(outcome.step, RestoreOutcome::BackupRefused);
    EXPECT_EQ(testing_support::Names(folder.Folder()), "data-20261031-090000.mdb\n");
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == before);
}

TEST(BackupFolderTest, ADamagedLedgerIsKeptAsItWasAndNotBackedUp) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    FixedClock clock(COleDateTime(2026, 11, 1, 9, 0, 0));
    CBackupFolder folder(ledger);
    testing_support::AddRecords(ledger, 2000);
    ASSERT_TRUE(folder.BackUpNow().Ok());
    const BackupEntry good = folder.List().front();
    // A newer backup that has gone bad since it was made.
    std::ofstream(folder.Folder() + "/data-20261101-100000.mdb") << "rubbish";
    testing_support::Scribble(ledger, 4096 * 20, 4096);
    std::ifstream in(ledger, std::ios::binary);
    const std::string damagedBytes((std::istreambuf_iterator<char>(in)), {});
    clock.Set(COleDateTime(2026, 11, 2, 9, 0, 0));

    const ado::LedgerCopyResult failed = folder.BackUpNow();
    EXPECT_EQ(failed.problem, ado::CopyProblem::LedgerDamaged);
    EXPECT_EQ(failed.file, ledger);
    EXPECT_EQ(folder.List().size(), 2u);
    BackupEntry newestGood;
    ASSERT_TRUE(folder.FindNewestGood(newestGood));
    EXPECT_EQ(newestGood.name, good.name);

    const RestoreOutcome outcome = folder.Restore(newestGood);

    ASSERT_EQ(outcome.step, RestoreOutcome::Done) << outcome.result.detail;
    EXPECT_EQ(outcome.damagedCopy, folder.Folder() + "/damaged-20261102-090000.mdb");
    std::ifstream kept(outcome.damagedCopy, std::ios::binary);
    EXPECT_TRUE(std::string((std::istreambuf_iterator<char>(kept)), {}) == damagedBytes);
    EXPECT_EQ(testing_support::Mode(outcome.damagedCopy), 0600u);
    EXPECT_TRUE(ado::VerifyLedgerFile(ledger).Ok());
}

} // namespace
