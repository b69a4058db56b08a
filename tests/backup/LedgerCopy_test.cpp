// The engine's verified copies of the ledger: backup, verification and restore.
#include "platform/ado/DurableFile.h"
#include "platform/ado/LedgerCopy.h"
#include "platform/ado/LedgerSchema.h"
#include "tests/backup/LedgerFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using ado::CopyProblem;
using testing_support::TestDb;

std::string Path(const TestDb& db, const std::string& name) {
    return (db.Directory() / name).string();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

ino_t Inode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

TEST(LedgerCopyTest, BackupIsAVerifiedPrivateCopyWithTheLedgersTime) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 300);
    ::chmod(ledger.c_str(), 0644);
    const std::string dest = Path(db, "copy.mdb");

    const ado::LedgerCopyResult result = ado::BackupLedgerFile(ledger, dest);

    ASSERT_TRUE(result.Ok()) << result.detail;
    EXPECT_EQ(result.file, dest);
    EXPECT_EQ(result.incomeRecords, 300);
    EXPECT_EQ(result.payRecords, 300);
    EXPECT_TRUE(testing_support::DumpLedger(dest) == testing_support::DumpLedger(ledger));
    EXPECT_EQ(testing_support::Mode(dest), 0600u);
    long long ledgerTime = 0, copyTime = 0;
    ado::durable::ReadModificationTime(ledger, ledgerTime);
    ado::durable::ReadModificationTime(dest, copyTime);
    EXPECT_EQ(copyTime, ledgerTime);
    EXPECT_EQ(testing_support::Names(db.Directory().string()), "copy.mdb\ndata.mdb\n");
    EXPECT_TRUE(ado::VerifyLedgerFile(dest).Ok());
}

TEST(LedgerCopyTest, AnExistingDestinationIsKeptUnlessReplacing) {
    TestDb db;
    const std::string dest = Path(db, "copy.mdb");
    WriteText(dest, "keep me");

    const ado::LedgerCopyResult kept = ado::BackupLedgerFile(db.FilePath().string(), dest, false);
    EXPECT_EQ(kept.problem, CopyProblem::DestinationTaken);
    std::ifstream in(dest);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me");

    EXPECT_TRUE(ado::BackupLedgerFile(db.FilePath().string(), dest, true).Ok());
    EXPECT_TRUE(ado::VerifyLedgerFile(dest).Ok());
    EXPECT_EQ(testing_support::Names(db.Directory().string()), "copy.mdb\ndata.mdb\n");
}

// Files that are not a sound ledger: neither backed up nor accepted as a backup.
struct BadFile {
    const char* name;
    void (*make)(const std::string& path);
    CopyProblem problem;
};

const BadFile kBadFiles[] = {
    {"Missing", [](const std::string&) {}, CopyProblem::LedgerMissing},
    {"Empty", [](const std::string& p) { WriteText(p, ""); }, CopyProblem::NotALedger},
    {"Text", [](const std::string& p) { WriteText(p, "Standard Jet DB, not really\n"); },
     CopyProblem::NotALedger},
    {"ForeignSqlite",
     [](const std::string& p) {
         testing_support::ExecOn(p, "CREATE TABLE t(x); INSERT INTO t VALUES (1)");
     },
     CopyProblem::NotALedger},
    {"OtherApplicationId",
     [](const std::string& p) {
         fs::copy_file("data.mdb", p);
         testing_support::ExecOn(p, "PRAGMA application_id = 1234");
     },
     CopyProblem::NotALedger},
    {"DamagedPages",
     [](const std::string& p) {
         fs::copy_file("data.mdb", p);
         testing_support::AddRecords(p, 2000);
         testing_support::Scribble(p, 4096 * 20, 4096);
     },
     CopyProblem::LedgerDamaged},
    {"DamagedSchema",
     [](const std::string& p) {
         fs::copy_file("data.mdb", p);
         testing_support::Scribble(p, 100, 3900);
     },
     CopyProblem::LedgerDamaged},
};

class BadFileTest : public testing::TestWithParam<BadFile> {};

TEST_P(BadFileTest, IsNeitherBackedUpNorVerified) {
    TestDb db;
    const std::string bad = Path(db, "bad.mdb");
    GetParam().make(bad);
    const std::string before =
        fs::exists(bad) ? testing_support::Names(db.Directory().string()) : "";

    const ado::LedgerCopyResult verified = ado::VerifyLedgerFile(bad);
    EXPECT_EQ(verified.problem, GetParam().problem) << verified.detail;

    const ado::LedgerCopyResult copied = ado::BackupLedgerFile(bad, Path(db, "copy.mdb"));
    EXPECT_EQ(copied.problem, GetParam().problem) << copied.detail;
    EXPECT_EQ(copied.file, bad);
    EXPECT_FALSE(fs::exists(Path(db, "copy.mdb")));
    if (!before.empty()) {
        EXPECT_EQ(testing_support::Names(db.Directory().string()), before);
    }
}

TEST_P(BadFileTest, IsRefusedForRestoreAndTheLedgerStaysAsItWas) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 20);
    const std::string bad = Path(db, "bad.mdb");
    GetParam().make(bad);
    const std::string before = testing_support::DumpLedger(ledger);
    long long timeBefore = 0, timeAfter = 0;
    ado::durable::ReadModificationTime(ledger, timeBefore);

    const ado::LedgerCopyResult result = ado::RestoreLedgerFile(bad, ledger);

    EXPECT_EQ(result.problem, GetParam().problem);
    EXPECT_EQ(result.file, bad);
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == before);
    ado::durable::ReadModificationTime(ledger, timeAfter);
    EXPECT_EQ(timeAfter, timeBefore);
}

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest, testing::ValuesIn(kBadFiles),
                         [](const auto& file) { return std::string(file.param.name); });

TEST(LedgerCopyTest, RestoreRoundTripGivesEveryRowOfTheBackupInTheSameFile) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 500);
    testing_support::ExecOn(ledger, "UPDATE tbUser SET password = 'secret'; "
                                    "INSERT INTO 家庭成员 (类型, 备注) VALUES ('奶奶', '老家')");
    const std::string backup = Path(db, "backup.mdb");
    ASSERT_TRUE(ado::BackupLedgerFile(ledger, backup).Ok());
    const std::string saved = testing_support::DumpLedger(backup);
    // The ledger moves on: records changed, deleted and added, a list emptied.
    testing_support::ExecOn(ledger, "DELETE FROM normalIncome WHERE 编号 % 3 = 0; "
                                    "UPDATE normalPay SET 备注 = 'changed'; "
                                    "DELETE FROM 家庭成员; UPDATE tbUser SET password = 'x'");
    testing_support::AddRecords(ledger, 700);
    ::chmod(ledger.c_str(), 0640);
    const ino_t inode = Inode(ledger);
    ASSERT_TRUE(testing_support::DumpLedger(ledger) != saved);

    const ado::LedgerCopyResult result = ado::RestoreLedgerFile(backup, ledger);

    ASSERT_TRUE(result.Ok()) << result.detail;
    EXPECT_EQ(result.incomeRecords, 500);
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == saved);
    EXPECT_EQ(Inode(ledger), inode);
    EXPECT_EQ(testing_support::Mode(ledger), 0640u);
    EXPECT_EQ(testing_support::ScalarOn(ledger, "PRAGMA integrity_check"), "ok");
    EXPECT_FALSE(fs::exists(ledger + "-journal"));
}

TEST(LedgerCopyTest, RestoreOverADamagedLedgerOfOursRepairsIt) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 2000);
    const std::string backup = Path(db, "backup.mdb");
    ASSERT_TRUE(ado::BackupLedgerFile(ledger, backup).Ok());
    testing_support::Scribble(ledger, 100, 3900);
    ASSERT_EQ(ado::VerifyLedgerFile(ledger).problem, CopyProblem::LedgerDamaged);

    const ado::LedgerCopyResult result = ado::RestoreLedgerFile(backup, ledger);

    ASSERT_TRUE(result.Ok()) << result.detail;
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == testing_support::DumpLedger(backup));
}

TEST(LedgerCopyTest, RestoreNeverOverwritesAFileThatIsNotALedger) {
    TestDb db;
    const std::string backup = Path(db, "backup.mdb");
    ASSERT_TRUE(ado::BackupLedgerFile(db.FilePath().string(), backup).Ok());
    const std::string other = Path(db, "other.db");
    testing_support::ExecOn(other, "CREATE TABLE notes(text); INSERT INTO notes VALUES ('mine')");
    const std::string before = testing_support::DumpLedger(other);

    const ado::LedgerCopyResult result = ado::RestoreLedgerFile(backup, other);

    EXPECT_EQ(result.problem, CopyProblem::NotALedger);
    EXPECT_EQ(result.file, other);
    EXPECT_TRUE(testing_support::DumpLedger(other) == before);
}

// A backup that passes the integrity check and carries our id may still have been made to
// act on the ledger, or hold nothing of it: a restore takes only the ledger's tables and
// what Coffer makes itself, and names what it refused.
struct SpoiledBackup {
    const char* name;
    const char* sql;
    const char* named; // what the refusal names
};

const SpoiledBackup kSpoiledBackups[] = {
    {"Trigger",
     "CREATE TRIGGER wipe AFTER INSERT ON normalPay BEGIN "
     "DELETE FROM normalPay WHERE 编号 <> new.编号; END",
     "触发器“wipe”"},
    {"View", "CREATE VIEW 全部 AS SELECT * FROM normalPay", "视图“全部”"},
    {"Table", "CREATE TABLE extra (x)", "表“extra”"},
    {"Index", "CREATE INDEX 备注 ON normalPay (备注)", "索引“备注”"},
    {"OurIndexNameOnAnotherColumn",
     "DROP INDEX normalPay_支出日期; CREATE INDEX normalPay_支出日期 ON normalPay (备注)",
     "索引“normalPay_支出日期”"},
    {"NoLedgerTables",
     "DROP TABLE normalIncome; DROP TABLE normalPay; DROP TABLE 家庭成员; DROP TABLE 收入类型; "
     "DROP TABLE 支出类型; DROP TABLE baseData; DROP TABLE tbUser",
     "缺少账本的表“normalIncome”"},
};

class SpoiledBackupTest : public testing::TestWithParam<SpoiledBackup> {};

TEST_P(SpoiledBackupTest, IsRefusedForRestoreNamingWhatAndTheLedgerStaysAsItWas) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 20);
    const std::string backup = Path(db, "backup.mdb");
    ASSERT_TRUE(ado::BackupLedgerFile(ledger, backup).Ok());
    testing_support::ExecOn(backup, GetParam().sql);
    ASSERT_TRUE(ado::VerifyLedgerFile(backup).Ok()); // sound and ours all the same
    testing_support::ExecOn(ledger, "DELETE FROM normalPay WHERE 编号 < 5");
    const std::string before = testing_support::DumpLedger(ledger);

    const ado::LedgerCopyResult result = ado::RestoreLedgerFile(backup, ledger);

    EXPECT_EQ(result.problem, CopyProblem::ForeignSchema);
    EXPECT_EQ(result.file, backup);
    EXPECT_NE(result.detail.find(GetParam().named), std::string::npos) << result.detail;
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == before);
}

INSTANTIATE_TEST_SUITE_P(Backups, SpoiledBackupTest, testing::ValuesIn(kSpoiledBackups),
                         [](const auto& param) { return std::string(param.param.name); });

// What SQLite, Coffer or an older Coffer leaves in a sound backup is no reason to refuse
// it: the planner's statistics, the search index with its triggers and the tables its
// full-text table keeps its words in, and a ledger from before the later tables.
TEST(LedgerCopyTest, RestoreTakesABackupWithStatisticsTheSearchIndexOrWithoutTheLaterTables) {
    std::string search;
    for (const std::string& statement : ado::ledger_schema::Named("search").file)
        search += statement + ";";
    for (const std::string& sql :
         {std::string("ANALYZE"), search,
          std::string("DROP TABLE planBudget; DROP TABLE planRecurring; "
                      "DROP TABLE planOccurrence; PRAGMA user_version = 0")}) {
        TestDb db;
        const std::string ledger = db.FilePath().string();
        const std::string backup = Path(db, "backup.mdb");
        testing_support::AddRecords(ledger, 20);
        ASSERT_TRUE(ado::BackupLedgerFile(ledger, backup).Ok());
        testing_support::ExecOn(backup, sql);
        const ado::LedgerCopyResult result = ado::RestoreLedgerFile(backup, ledger);
        EXPECT_TRUE(result.Ok()) << sql.substr(0, 60) << ": " << result.detail;
    }
}

// A ledger made by an older Coffer keeps its passwords as plain text until it is opened; a
// copy of it never does, not even in its free pages.
TEST(LedgerCopyTest, ACopyOfAnOlderLedgerHoldsNoPlainPassword) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::ExecOn(ledger, "UPDATE tbUser SET password = 'plain-73950-secret'");
    const std::string backup = Path(db, "backup.mdb");

    ASSERT_TRUE(ado::BackupLedgerFile(ledger, backup).Ok());

    std::ifstream in(backup, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes.find("plain-73950-secret"), std::string::npos);
    EXPECT_EQ(testing_support::ScalarOn(backup, "SELECT substr(password, 1, 7) FROM tbUser"),
              "$argon2");
}

// Another running copy of Coffer in the middle of a write holds the ledger's lock.
class LockHolder {
public:
    LockHolder(const std::string& ledger, int holdMs) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            sqlite3* db = nullptr;
            sqlite3_open(ledger.c_str(), &db);
            sqlite3_exec(db, "BEGIN EXCLUSIVE; UPDATE tbUser SET password = 'held'", nullptr,
                         nullptr, nullptr);
            (void)!::write(ready[1], "x", 1);
            ::usleep(holdMs * 1000);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        EXPECT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
    }
    ~LockHolder() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }

private:
    pid_t m_pid;
};

TEST(LedgerCopyTest, RestoreWaitsForAnotherCopysLockAndGivesUpChangingNothing) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    const std::string backup = Path(db, "backup.mdb");
    ASSERT_TRUE(ado::BackupLedgerFile(ledger, backup).Ok());
    testing_support::AddRecords(ledger, 50);
    const std::string before = testing_support::DumpLedger(ledger);
    {
        LockHolder holder(ledger, 1500);
        const ado::LedgerCopyResult result = ado::RestoreLedgerFile(backup, ledger, 300);
        EXPECT_EQ(result.problem, CopyProblem::LedgerBusy) << result.detail;
    }
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == before);
    {
        LockHolder holder(ledger, 300);
        const ado::LedgerCopyResult result = ado::RestoreLedgerFile(backup, ledger, 5000);
        EXPECT_TRUE(result.Ok()) << result.detail;
    }
    EXPECT_TRUE(testing_support::DumpLedger(ledger) == testing_support::DumpLedger(backup));
}

TEST(LedgerCopyTest, CancellingLeavesNothingBehind) {
    TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 40000);
    int calls = 0;
    const ado::LedgerCopyResult result = ado::BackupLedgerFile(
        ledger, Path(db, "copy.mdb"), false, [&](long long done, long long total) {
            EXPECT_LE(done, total);
            return ++calls < 2;
        });
    EXPECT_EQ(result.problem, CopyProblem::Cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(testing_support::Names(db.Directory().string()), "data.mdb\n");
}

} // namespace
