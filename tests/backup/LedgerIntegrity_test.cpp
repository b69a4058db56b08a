// The verification of a ledger copy finds what SQLite's own full check finds: sound ledgers
// with all kinds of indexes pass, and an index that no longer matches its table fails even
// where the page structure is sound.
#include "platform/ado/LedgerCopy.h"
#include "tests/backup/LedgerFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using ado::CopyProblem;
using testing_support::ExecOn;
using testing_support::ScalarOn;

// Statements run before the schema is edited, and the edit (with writable_schema on) that
// makes an index disagree with its table, or none.
struct IndexCase {
    const char* name;
    const char* build;
    const char* edit;
};

const IndexCase kIndexCases[] = {
    {"PlainIndexesOnNumbersTextAndNulls",
     "CREATE INDEX amount ON normalIncome (收入金额);"
     "CREATE INDEX note ON normalPay (备注, 支出金额);"
     "INSERT INTO normalIncome (收入金额, 收入日期) VALUES (3, NULL), (3.0, NULL), (-0.25, '');",
     nullptr},
    {"UniquePartialAndExpressionIndexes",
     "CREATE UNIQUE INDEX member ON 家庭成员 (类型);"
     "CREATE INDEX even ON normalIncome (收入金额) WHERE 编号 % 2 = 0;"
     "CREATE INDEX doubled ON normalPay (支出金额 * 2);"
     "CREATE TABLE notes (k TEXT PRIMARY KEY, v) WITHOUT ROWID;"
     "INSERT INTO notes VALUES ('a', 1), ('b', 2);"
     // Keys with a NULL are never the same key; 'x' and 'X' differ where the index says so.
     "CREATE TABLE pairs (a, b COLLATE NOCASE, c);"
     "INSERT INTO pairs VALUES (1, NULL, 'x'), (1, NULL, 'x'), (NULL, NULL, 'X'), (1, 'x', 'x'),"
     " (2, 'X', 'x'), (3.0, 'y', 'X'), (3, 'z', 'x');"
     "CREATE UNIQUE INDEX pair ON pairs (a, b);"
     "CREATE UNIQUE INDEX exact ON pairs (b COLLATE BINARY, c);",
     nullptr},
    {"IndexOfAnotherColumn", "",
     "UPDATE sqlite_schema SET sql = replace(sql, '收入日期)', '备注)') "
     "WHERE name = 'normalIncome_收入日期'"},
    {"IndexMissingHalfTheRows", "CREATE INDEX even ON normalIncome (收入金额) WHERE 编号 % 2 = 0;",
     "UPDATE sqlite_schema SET sql = 'CREATE INDEX even ON normalIncome (收入金额)' "
     "WHERE name = 'even'"},
    {"IndexWithTheWrongNumbers", "CREATE INDEX amount ON normalPay (支出金额);",
     "UPDATE sqlite_schema SET sql = replace(sql, '(支出金额)', '(编号)') WHERE name = 'amount'"},
    {"UniqueIndexWithDuplicates",
     "INSERT INTO 家庭成员 (类型) VALUES ('爸爸');"
     "CREATE INDEX member ON 家庭成员 (类型);",
     "UPDATE sqlite_schema SET sql = 'CREATE UNIQUE INDEX member ON 家庭成员 (类型)' "
     "WHERE name = 'member'"},
    {"UniqueIndexBlindToCaseWithDuplicates",
     "CREATE TABLE tags (t TEXT); INSERT INTO tags VALUES ('a'), ('A');"
     "CREATE UNIQUE INDEX tag ON tags (t);",
     "UPDATE sqlite_schema SET sql = 'CREATE UNIQUE INDEX tag ON tags (t COLLATE NOCASE)' "
     "WHERE name = 'tag'"},
    {"UniqueIndexWithDuplicateNumbers",
     "CREATE TABLE sums (n); INSERT INTO sums VALUES (3), (3.0), (NULL), (NULL);"
     "CREATE INDEX sum ON sums (n);",
     "UPDATE sqlite_schema SET sql = 'CREATE UNIQUE INDEX sum ON sums (n)' WHERE name = 'sum'"},
    {"StaleExpressionIndex", "CREATE INDEX doubled ON normalPay (支出金额 * 2);",
     "UPDATE sqlite_schema SET sql = replace(sql, '* 2', '* 3') WHERE name = 'doubled'"},
};

class LedgerIntegrityTest : public testing::TestWithParam<IndexCase> {};

TEST_P(LedgerIntegrityTest, AgreesWithSqlitesFullCheck) {
    testing_support::TestDb db;
    const std::string ledger = db.FilePath().string();
    testing_support::AddRecords(ledger, 400);
    ExecOn(ledger, GetParam().build);
    if (GetParam().edit != nullptr)
        ExecOn(ledger, std::string("PRAGMA writable_schema = ON;") + GetParam().edit);
    const bool sound = GetParam().edit == nullptr;
    // The damage is one the page structure does not show: only comparing entries finds it.
    ASSERT_EQ(ScalarOn(ledger, "PRAGMA quick_check"), "ok");
    ASSERT_EQ(ScalarOn(ledger, "PRAGMA integrity_check") == "ok", sound);

    const ado::LedgerCopyResult verified = ado::VerifyLedgerFile(ledger);
    EXPECT_EQ(verified.problem, sound ? CopyProblem::None : CopyProblem::LedgerDamaged)
        << verified.detail;
    const std::string copy = (db.Directory() / "copy.mdb").string();
    const ado::LedgerCopyResult copied = ado::BackupLedgerFile(ledger, copy);
    EXPECT_EQ(copied.problem, verified.problem) << copied.detail;
    EXPECT_EQ(std::filesystem::exists(copy), sound);
    if (sound) {
        EXPECT_EQ(std::to_string(copied.incomeRecords),
                  ScalarOn(ledger, "SELECT count(*) FROM normalIncome"));
    } else {
        EXPECT_EQ(copied.file, ledger);
    }
}

INSTANTIATE_TEST_SUITE_P(Indexes, LedgerIntegrityTest, testing::ValuesIn(kIndexCases),
                         [](const auto& param) { return std::string(param.param.name); });

} // namespace
