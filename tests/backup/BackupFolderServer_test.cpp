// Backups of a ledger on a server: a file ledger holding all its rows, restored back into the
// server in one transaction; run against the test server that scripts/test starts.
#include "backup/BackupFolder.h"
#include "platform/ado/LedgerCopy.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ole/Clock.h"
#include "tests/backup/LedgerFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

const char* const kTables[] = {"normalIncome", "normalPay", "家庭成员", "收入类型",
                               "支出类型",     "baseData",  "tbUser"};

Rows FileRows(const std::string& path, const std::string& sql) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
    Rows rows;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            rows.back().push_back(text ? text : TestDb::kNull);
        }
    }
    sqlite3_finalize(statement);
    return rows;
}

class ServerBackupTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("COFFER_TEST_PGHOST"))
            GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
        setenv("COFFER_TEST_ENGINE", "server", 1);
        m_db = std::make_unique<TestDb>();
        ole::SetClock([this] { return m_now; });
        // Rows with every kind of value, and ids the sequence has gone past.
        m_db->Exec("INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注) "
                   "SELECT '爸爸', i * 1.25, TIMESTAMP '2024-01-31 08:30:00' + i * INTERVAL "
                   "'1 day', '工资', CASE WHEN i % 3 = 0 THEN NULL ELSE 'tab' || chr(9) || "
                   "'line' || chr(10) || 'back\\slash ''quote'' ' || i END "
                   "FROM generate_series(1, 120) i");
        m_db->Exec("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
                   "SELECT '妈妈', i * 0.1, TIMESTAMP '2025-02-28 23:59:59', '餐饮', NULL "
                   "FROM generate_series(1, 80) i");
        m_db->Exec("DELETE FROM normalIncome WHERE 编号 > 110");
        m_db->Exec("UPDATE 家庭成员 SET 备注 = '管账的' WHERE ID = 1");
    }
    void TearDown() override {
        ole::ResetClock();
        m_db.reset();
        unsetenv("COFFER_TEST_ENGINE");
    }

    Rows ServerRows(const std::string& table) const {
        return m_db->Query("SELECT * FROM " + table + " ORDER BY 1");
    }
    // Every table of the server ledger, row by row.
    std::vector<Rows> ServerDump() const {
        std::vector<Rows> dump;
        for (const char* table : kTables)
            dump.push_back(ServerRows(table));
        return dump;
    }
    std::vector<Rows> FileDump(const std::string& path) const {
        std::vector<Rows> dump;
        for (const char* table : kTables)
            dump.push_back(FileRows(path, std::string("SELECT * FROM ") + table + " ORDER BY 1"));
        return dump;
    }

    std::unique_ptr<TestDb> m_db;
    COleDateTime m_now{2026, 11, 1, 9, 0, 0};
};

TEST_F(ServerBackupTest, RoundTripKeepsEveryRowItsIdAndTheSequences) {
    CBackupFolder folder(m_db->Uri());
    EXPECT_EQ(folder.Folder().rfind(m_db->Directory().string() + "/coffer/backups/server-", 0), 0u)
        << folder.Folder();
    EXPECT_TRUE(folder.LedgerChangedSinceBackup());
    const std::vector<Rows> before = ServerDump();

    const ado::LedgerCopyResult made = folder.BackUpNow();
    ASSERT_TRUE(made.Ok()) << made.detail;
    EXPECT_EQ(made.incomeRecords, 110);
    EXPECT_EQ(made.payRecords, 80);
    EXPECT_FALSE(folder.LedgerChangedSinceBackup()); // one a day
    const BackupEntry backup = folder.List().front();
    EXPECT_TRUE(ado::VerifyLedgerFile(backup.path).Ok());
    EXPECT_EQ(FileDump(backup.path), before);
    EXPECT_EQ(FileRows(backup.path, "SELECT seq FROM sqlite_sequence WHERE name = 'normalincome'"),
              (Rows{{"120"}}));
    EXPECT_EQ(testing_support::Mode(backup.path), 0600u);

    // The ledger moves on, then the backup comes back.
    m_db->Exec("DELETE FROM normalIncome WHERE 编号 < 50");
    m_db->Exec("INSERT INTO normalPay (支出人员, 支出金额) VALUES ('孩子', 9)");
    m_db->Exec("UPDATE 家庭成员 SET 类型 = '外婆' WHERE ID = 2");
    m_now = COleDateTime(2026, 11, 2, 9, 0, 0);
    EXPECT_TRUE(folder.LedgerChangedSinceBackup()); // the next day
    const RestoreOutcome outcome = folder.Restore(backup);
    ASSERT_EQ(outcome.step, RestoreOutcome::Done) << outcome.result.detail;
    EXPECT_EQ(ServerDump(), before);
    EXPECT_EQ(folder.List().size(), 2u); // the ledger as it was before the restore, kept
    // New rows go on past the highest id ever given, also those deleted since.
    m_db->Exec("INSERT INTO normalIncome (收入人员, 收入金额) VALUES ('爸爸', 1)");
    m_db->Exec("INSERT INTO normalPay (支出人员, 支出金额) VALUES ('妈妈', 1)");
    EXPECT_EQ(m_db->Scalar("SELECT max(编号) FROM normalIncome"), "121");
    EXPECT_EQ(m_db->Scalar("SELECT max(编号) FROM normalPay"), "82");
}

// Backups the server ledger must not take: refused before anything changes.
struct BadBackup {
    const char* name;
    void (*spoil)(const std::string& path);
    RestoreOutcome::Step step;
};

const BadBackup kBadBackups[] = {
    {"Damaged", [](const std::string& p) { testing_support::Scribble(p, 4096 * 3, 4096); },
     RestoreOutcome::BackupRefused},
    {"Foreign",
     [](const std::string& p) {
         fs::remove(p);
         testing_support::ExecOn(p, "CREATE TABLE normalIncome (x); INSERT INTO normalIncome "
                                    "VALUES (1)");
     },
     RestoreOutcome::BackupRefused},
    {"NotSqlite", [](const std::string& p) { std::ofstream(p) << "not a ledger at all"; },
     RestoreOutcome::BackupRefused},
    // Sound and ours, but made to delete the other records at the next add.
    {"Trigger",
     [](const std::string& p) {
         testing_support::ExecOn(p, "CREATE TRIGGER wipe AFTER INSERT ON normalpay BEGIN "
                                    "DELETE FROM normalpay WHERE 编号 <> new.编号; END");
     },
     RestoreOutcome::BackupRefused},
    // Sound and ours, but its rows do not fit the server's table: found halfway, undone.
    {"RowsThatDoNotFit",
     [](const std::string& p) {
         testing_support::ExecOn(p, "ALTER TABLE normalPay ADD COLUMN 外币 TEXT");
     },
     RestoreOutcome::NotRestored},
};

class ServerRestoreRefusedTest : public ServerBackupTest,
                                 public testing::WithParamInterface<BadBackup> {};

TEST_P(ServerRestoreRefusedTest, LeavesTheServerLedgerAsItWas) {
    CBackupFolder folder(m_db->Uri());
    ASSERT_TRUE(folder.BackUpNow().Ok());
    const BackupEntry backup = folder.List().front();
    GetParam().spoil(backup.path);
    m_db->Exec("DELETE FROM normalIncome WHERE 编号 < 20");
    const std::vector<Rows> before = ServerDump();

    const RestoreOutcome outcome = folder.Restore(backup);
    EXPECT_EQ(outcome.step, GetParam().step) << outcome.result.detail;
    EXPECT_EQ(ServerDump(), before);
}

INSTANTIATE_TEST_SUITE_P(Backups, ServerRestoreRefusedTest, testing::ValuesIn(kBadBackups),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ServerBackupTest, ARestoreWaitsForAnotherCopysLockThenChangesNothing) {
    CBackupFolder folder(m_db->Uri());
    ASSERT_TRUE(folder.BackUpNow().Ok());
    const std::string backup = folder.List().front().path;
    m_db->Exec("DELETE FROM normalIncome WHERE 编号 < 20");
    const std::vector<Rows> before = ServerDump();
    // Another copy of Coffer in the middle of a change.
    const ado::PgConnPtr other(PQconnectdb(m_db->Uri().c_str()));
    ado::PgResultPtr(
        PQexec(other.get(), "BEGIN; LOCK TABLE normalpay IN SHARE ROW EXCLUSIVE MODE"));

    const ado::LedgerCopyResult result = ado::RestoreLedger(backup, m_db->Uri(), 300);
    EXPECT_EQ(result.problem, ado::CopyProblem::LedgerBusy) << result.detail;
    ado::PgResultPtr(PQexec(other.get(), "ROLLBACK"));
    EXPECT_EQ(ServerDump(), before);
    EXPECT_TRUE(ado::RestoreLedger(backup, m_db->Uri(), 300).Ok());
    EXPECT_EQ(m_db->Scalar("SELECT count(*) FROM normalIncome"), "110");
}

TEST_F(ServerBackupTest, AServerThatDoesNotAnswerIsNamedWithoutItsPassword) {
    const std::string uri =
        "postgresql://coffer:secret@/coffer?host=/nonexistent&connect_timeout=2";
    CBackupFolder folder(uri);
    EXPECT_EQ(folder.Folder().find("secret"), std::string::npos);
    const ado::LedgerCopyResult result = folder.BackUpNow();
    EXPECT_EQ(result.problem, ado::CopyProblem::ServerUnreachable);
    EXPECT_EQ(result.file.find("secret"), std::string::npos) << result.file;
    EXPECT_TRUE(folder.List().empty());
    EXPECT_EQ(testing_support::Names(folder.Folder()), "");
}

TEST(ServerFolderNameTest, IsAFolderNameWithoutThePassword) {
    const std::string plain =
        CBackupFolder::ServerFolderName("postgresql://anna:pw@nas:5432/coffer");
    EXPECT_EQ(plain, "server-anna_nas_5432_coffer");
    const std::string a = CBackupFolder::ServerFolderName(
        "postgresql:///coffer?host=/tmp/a-very-long-socket-folder-name/and/more&user=anna"
        "&options=-csearch_path%3Done");
    const std::string b = CBackupFolder::ServerFolderName(
        "postgresql:///coffer?host=/tmp/a-very-long-socket-folder-name/and/more&user=anna"
        "&options=-csearch_path%3Dtwo");
    EXPECT_NE(a, b);
    EXPECT_LE(a.size(), 100u);
    EXPECT_EQ(a.find('/'), std::string::npos);
}

} // namespace
