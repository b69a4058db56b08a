// Faults that must not lose anything: a writer at work, a backup killed at random moments,
// a restore killed, a full or read-only disk.
#include "backup/BackupFolder.h"
#include "backup/BackupTexts.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ado/LedgerCopy.h"
#include "tests/backup/LedgerFiles.h"
#include "tests/support/FailingVfs.h"
#include "tests/support/TestDb.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <set>

namespace {

namespace fs = std::filesystem;
using ado::CopyProblem;
using testing_support::FailingVfs;
using testing_support::TestDb;

volatile std::sig_atomic_t g_stop = 0;

// Adds income records one at a time the way Coffer does, the n-th carrying the note "w<n>",
// until told to stop; its exit code is 0 when every write went through.
pid_t StartWriter(const std::string& ledger) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    int written = 0;
    try {
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ledger);
        if (!db.Open())
            ::_exit(3);
        while (!g_stop) {
            CADORecordset rs(&db);
            rs.Open("normalIncome", CADORecordset::ModeTable);
            rs.AddNew();
            rs.SetFieldValue("收入人员", std::string("爸爸"));
            rs.SetFieldValue("收入金额", 1.0 + written);
            rs.SetFieldValue("收入日期", COleDateTime(2026, 1, 1, 8, 0, 0));
            rs.SetFieldValue("收入项目", std::string("工资"));
            rs.SetFieldValue("备注", "w" + std::to_string(written + 1));
            if (!rs.Update())
                ::_exit(4);
            ++written;
        }
    } catch (...) {
        ::_exit(5);
    }
    ::_exit(written > 0 ? 0 : 6);
}

int Stop(pid_t pid, int signal) {
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(BackupFaultsTest, BackupsTakenWhileAnotherProcessWritesAreConsistent) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 3000);
    testing_support::ExecOn(ledger, "DELETE FROM normalIncome");
    const pid_t writer = StartWriter(ledger);
    std::set<long long> counts;
    const int rounds = 25;
    for (int round = 0; round < rounds; ++round) {
        const std::string dest = (db.Directory() / ("b" + std::to_string(round) + ".mdb")).string();
        const ado::LedgerCopyResult result = ado::BackupLedgerFile(ledger, dest);
        ASSERT_TRUE(result.Ok()) << result.detail;
        // A consistent moment: the records "w1" .. "wN" and nothing else.
        EXPECT_EQ(testing_support::ScalarOn(dest, "PRAGMA integrity_check"), "ok");
        const long long n = result.incomeRecords;
        EXPECT_EQ(testing_support::ScalarOn(
                      dest, "SELECT count(*) FROM normalIncome WHERE 备注 = 'w' || (编号 - 3000)"),
                  std::to_string(n));
        EXPECT_EQ(testing_support::ScalarOn(
                      dest, "SELECT ifnull(max(编号), 3000) - 3000 FROM normalIncome"),
                  std::to_string(n));
        counts.insert(n);
        ::usleep(20000);
    }
    const int status = Stop(writer, SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const long long total =
        std::stoll(testing_support::ScalarOn(ledger, "SELECT count(*) FROM normalIncome"));
    EXPECT_LE(*counts.rbegin(), total);
    // The writer really was writing all along: the backups saw different moments.
    EXPECT_GT(counts.size(), static_cast<std::size_t>(rounds / 2));
    std::printf("[ writer ] %d backups saw %zu different counts, %lld records written\n", rounds,
                counts.size(), total);
}

std::string RawBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ado::DatabasePtr OpenRaw(const std::string& path) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    return ado::DatabasePtr(raw);
}

// A ledger whose file alone is not what was last committed. `leave` brings it there and
// returns a connection to keep open during the backup (or none); a backup must hold the
// ledger as committed, `expected` records.
struct UnsettledLedger {
    const char* name;
    std::function<ado::DatabasePtr(const std::string& ledger)> leave;
    const char* expected;
};

const UnsettledLedger kUnsettledLedgers[] = {
    // A writer died after its cache spilled changed pages into the file: its journal is hot.
    {"HotJournal",
     [](const std::string& ledger) {
         const std::string before = RawBytes(ledger);
         const pid_t child = ::fork();
         if (child == 0) {
             const ado::DatabasePtr db = OpenRaw(ledger);
             sqlite3_exec(db.get(),
                          "PRAGMA cache_size=2; BEGIN; UPDATE normalIncome SET 备注 = 'lost'; "
                          "DELETE FROM normalPay",
                          nullptr, nullptr, nullptr);
             ::_exit(0);
         }
         int status = 0;
         ::waitpid(child, &status, 0);
         EXPECT_TRUE(fs::exists(ledger + "-journal"));
         EXPECT_NE(RawBytes(ledger), before) << "no page reached the file";
         return ado::DatabasePtr();
     },
     "3000"},
    // Committed records still in the write-ahead log, which an open connection keeps.
    {"WalLog",
     [](const std::string& ledger) {
         ado::DatabasePtr db = OpenRaw(ledger);
         sqlite3_exec(db.get(),
                      "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; INSERT INTO "
                      "normalIncome (收入人员, 收入金额, 备注) SELECT 收入人员, 收入金额, 'new' "
                      "FROM normalIncome",
                      nullptr, nullptr, nullptr);
         EXPECT_GT(fs::file_size(ledger + "-wal"), 0U);
         return db;
     },
     "6000"},
};

class UnsettledLedgerTest : public testing::TestWithParam<UnsettledLedger> {};

TEST_P(UnsettledLedgerTest, IsBackedUpAsLastCommitted) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 3000);
    const ado::DatabasePtr open = GetParam().leave(ledger);
    const std::string dest = (db.Directory() / "b.mdb").string();
    const ado::LedgerCopyResult result = ado::BackupLedgerFile(ledger, dest);
    ASSERT_TRUE(result.Ok()) << result.detail;
    EXPECT_EQ(std::to_string(result.incomeRecords), GetParam().expected);
    EXPECT_EQ(testing_support::ScalarOn(dest, "SELECT count(*) FROM normalIncome WHERE 备注 = 'lost'"),
              "0");
    EXPECT_EQ(testing_support::ScalarOn(dest, "SELECT count(*) FROM normalPay"),
              testing_support::ScalarOn(ledger, "SELECT count(*) FROM normalPay"));
}

INSTANTIATE_TEST_SUITE_P(Unsettled, UnsettledLedgerTest, testing::ValuesIn(kUnsettledLedgers),
                         [](const auto& ledger) { return std::string(ledger.param.name); });

TEST(BackupFaultsTest, KillingABackupAtRandomMomentsNeverLeavesAPartialBackup) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 60000);
    const std::string before = testing_support::DumpLedger(ledger);
    CBackupFolder folder(ledger);
    fs::create_directories(folder.Folder());

    // How long one backup takes, to spread the kills over it.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(ado::BackupLedgerFile(ledger, folder.Folder() + "/data-20200101-000000.mdb").Ok());
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - started)
                          .count();
    std::mt19937 random(20261207);
    std::uniform_int_distribution<long> delay(0, took * 6 / 5);
    const int rounds = 40;
    int killedMidway = 0, finished = 0;
    for (int round = 1; round <= rounds; ++round) {
        char name[64];
        std::snprintf(name, sizeof name, "/data-20200101-%06d.mdb", round);
        const std::string dest = folder.Folder() + name;
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(ado::BackupLedgerFile(ledger, dest).Ok() ? 0 : 1);
        ::usleep(static_cast<useconds_t>(delay(random)));
        const int status = Stop(child, SIGKILL);
        if (WIFSIGNALED(status) && !fs::exists(dest))
            ++killedMidway;
        if (fs::exists(dest)) {
            ++finished;
            const ado::LedgerCopyResult copy = ado::VerifyLedgerFile(dest);
            EXPECT_TRUE(copy.Ok()) << name << ": " << copy.detail;
            EXPECT_EQ(copy.incomeRecords, 60000);
        }
    }
    // Every file under a backup's name is a whole, verified ledger; the ledger is untouched.
    for (const BackupEntry& entry : folder.List())
        EXPECT_TRUE(ado::VerifyLedgerFile(entry.path).Ok()) << entry.name;
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == before);
    EXPECT_GT(killedMidway, 0);
    std::printf("[ kills  ] %d rounds: %d killed mid-backup, %d finished first\n", rounds,
                killedMidway, finished);
    // The next backup clears what the killed ones left under their temporary names.
    ASSERT_TRUE(folder.BackUpNow().Ok());
    for (const auto& file : fs::directory_iterator(folder.Folder()))
        EXPECT_EQ(file.path().extension(), ".mdb") << file.path();
}

TEST(BackupFaultsTest, KillingARestoreLeavesTheLedgerWhollyOldOrWhollyRestored) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 20000);
    const std::string backup = (db.Directory() / "backup.mdb").string();
    ASSERT_TRUE(ado::BackupLedgerFile(ledger, backup).Ok());
    testing_support::ExecOn(ledger, "DELETE FROM normalPay WHERE 编号 % 2 = 0");
    const std::string old = testing_support::DumpLedger(ledger);
    const std::string restored = testing_support::DumpLedger(backup);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(ado::RestoreLedgerFile(backup, ledger).Ok());
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - started)
                          .count();
    std::mt19937 random(7);
    std::uniform_int_distribution<long> delay(0, took * 6 / 5);
    int wasOld = 0, wasRestored = 0;
    for (int round = 0; round < 12; ++round) {
        testing_support::ExecOn(ledger, "DELETE FROM normalPay WHERE 编号 % 2 = 0");
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(ado::RestoreLedgerFile(backup, ledger).Ok() ? 0 : 1);
        ::usleep(static_cast<useconds_t>(delay(random)));
        Stop(child, SIGKILL);
        // The next user of the ledger rolls back a half-written restore.
        testing_support::ExecOn(ledger, "SELECT count(*) FROM tbUser");
        const std::string now = testing_support::DumpLedger(ledger);
        EXPECT_TRUE(now == old || now == restored) << "round " << round;
        (now == old ? wasOld : wasRestored) += 1;
    }
    EXPECT_GT(wasOld, 0);
    std::printf("[ kills  ] 12 restores killed: %d left the old ledger, %d the restored one\n",
                wasOld, wasRestored);
}

// A small file system of its own for the backups: a tmpfs mounted in a mount namespace of
// this process, where the machine allows it.
bool MountSmallFolder(const std::string& folder, const std::string& options, unsigned long flags) {
    static const bool isolated = ::unshare(CLONE_NEWNS) == 0 &&
                                 ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    fs::create_directories(folder);
    return isolated && ::mount("tmpfs", folder.c_str(), "tmpfs", flags, options.c_str()) == 0;
}

// The disk's fault is real (a small or read-only tmpfs) or, where mounting is not allowed
// (a chroot, a container without CAP_SYS_ADMIN), made by the test file system for the backup
// folder alone; the simulated cases run everywhere.
struct DiskFault {
    const char* name;
    const char* options;
    unsigned long flags;
    FailingVfs::Fault simulated; // None: a real tmpfs
    CopyProblem problem;
    const char* cause;
};

const DiskFault kDiskFaults[] = {
    {"Full", "size=1200k", 0, FailingVfs::Fault::None, CopyProblem::DiskFull, "磁盘空间不足"},
    {"ReadOnly", "size=4m", MS_RDONLY, FailingVfs::Fault::None, CopyProblem::NoPermission,
     "没有写入备份文件夹的权限"},
    {"SimulatedFull", "", 0, FailingVfs::Fault::DiskFull, CopyProblem::DiskFull, "磁盘空间不足"},
    {"SimulatedReadOnly", "", MS_RDONLY, FailingVfs::Fault::ReadOnlyFile,
     CopyProblem::NoPermission, "没有写入备份文件夹的权限"},
};

class DiskFaultTest : public testing::TestWithParam<DiskFault> {};

TEST_P(DiskFaultTest, FailsClearlyAndKeepsEveryEarlierBackup) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 2500); // about 500 KB
    CBackupFolder folder(ledger);
    const DiskFault& fault = GetParam();
    std::optional<FailingVfs> vfs;
    const bool real = fault.simulated == FailingVfs::Fault::None;
    if (real && !MountSmallFolder(folder.Folder(), fault.options, 0))
        GTEST_SKIP() << "no right to mount a tmpfs here (a chroot or a container); the "
                        "Simulated case stands in for it";
    std::vector<std::string> earlier;
    ASSERT_TRUE(folder.BackUpNow().Ok());
    if (fault.flags & MS_RDONLY) {
        // Earlier backups on a file system that has since become read-only.
        if (real) {
            ASSERT_EQ(::mount(nullptr, folder.Folder().c_str(), nullptr, MS_REMOUNT | MS_RDONLY,
                              nullptr),
                      0);
        }
    } else {
        testing_support::AddRecords(ledger, 1); // changed, so the clock gives a new name
        ASSERT_TRUE(folder.BackUpNow().Ok());
    }
    if (!real) {
        vfs.emplace();
        vfs->Set(fault.simulated, fs::weakly_canonical(folder.Folder()).string() + "/");
    }
    for (const BackupEntry& entry : folder.List())
        earlier.push_back(testing_support::DumpLedger(entry.path));
    const std::string names = testing_support::Names(folder.Folder());
    const std::string ledgerBefore = testing_support::DumpLedger(ledger);

    testing_support::AddRecords(ledger, 2000);
    const ado::LedgerCopyResult result = folder.BackUpNow();

    EXPECT_EQ(result.problem, fault.problem) << result.detail;
    const std::string text = CBackupTexts::BackupFailed(result, !folder.List().empty());
    EXPECT_NE(text.find(fault.cause), std::string::npos) << text;
    EXPECT_NE(text.find("以前的备份都还在"), std::string::npos);
    EXPECT_EQ(testing_support::Names(folder.Folder()), names);
    vfs.reset();
    std::vector<std::string> after;
    for (const BackupEntry& entry : folder.List()) {
        EXPECT_TRUE(ado::VerifyLedgerFile(entry.path).Ok());
        after.push_back(testing_support::DumpLedger(entry.path));
    }
    EXPECT_TRUE(after == earlier);
    EXPECT_EQ(testing_support::ScalarOn(ledger, "PRAGMA integrity_check"), "ok");
    EXPECT_FALSE(testing_support::DumpLedger(ledger) == ledgerBefore); // the new records are there
    if (real)
        ::umount2(folder.Folder().c_str(), MNT_DETACH);
}

INSTANTIATE_TEST_SUITE_P(Disk, DiskFaultTest, testing::ValuesIn(kDiskFaults),
                         [](const auto& fault) { return std::string(fault.param.name); });

} // namespace
