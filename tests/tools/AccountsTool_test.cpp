#ifdef COFFER_ACCOUNTS

#include "tests/support/TempDir.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace {

const std::string kAccounts = COFFER_ACCOUNTS;
const std::string kInitDb = COFFER_INITDB;

TEST(AccountsToolTest, PrintsBalancesAsCsvAndRefusesWhatItCannotRead) {
    testing_support::TempDir dir;
    const std::string ledger = (dir.Path() / "data.mdb").string();
    ASSERT_EQ(RunCommand(kInitDb + " '" + ledger + "'").exitCode, 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(ledger.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const int rc =
        sqlite3_exec(db,
                     "INSERT INTO accountList (名称, 种类, 所有人, 期初余额, 期初日期, 顺序, "
                     "停用) VALUES ('信用卡', '信用卡', '妈妈, 爸爸', -12050, '2024-01-01', 2, 0); "
                     "INSERT INTO normalIncome (收入金额, 收入日期) VALUES (0.1, "
                     "'2024-02-01 00:00:00'), (0.2, '2024-02-01 00:00:00'); INSERT INTO "
                     "accountLink (表, 编号, 账户) SELECT 'normalIncome', 编号, 1 FROM "
                     "normalIncome",
                     nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK);
    const ToolRun run = RunCommand(kAccounts + " '" + ledger + "' 2>/dev/null");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "\xEF\xBB\xBF"
                          "账户,种类,所有人,余额\r\n"
                          "现金,现金,,0.30\r\n"
                          "信用卡,信用卡,\"妈妈, 爸爸\",-120.50\r\n"
                          "资产,,,0.30\r\n"
                          "负债,,,-120.50\r\n"
                          "净资产,,,-120.20\r\n");

    const ToolRun missing = RunCommand(kAccounts + " '" + (dir.Path() / "none.mdb").string() + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.output.rfind("coffer-accounts: cannot read the ledger", 0), 0u)
        << missing.output;
}

} // namespace

#endif
