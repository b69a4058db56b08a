#include "tests/support/TempDir.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace {

const std::string kSearch = COFFER_SEARCH;
const std::string kInitDb = COFFER_INITDB;

TEST(CofferSearchTest, PrintsWhatTheWindowFindsAsCsv) {
    testing_support::TempDir dir;
    ASSERT_EQ(RunCommand(kInitDb + " book.mdb").exitCode, 0);
    sqlite3* db = nullptr;
    sqlite3_open("book.mdb", &db);
    sqlite3_exec(db,
                 "INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注) VALUES "
                 "('爸爸', 2399, '2024-03-02 10:00:00', '工资', '云膳过桥米线, \"好\"');"
                 "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
                 "('妈妈', 28.16, '2024-03-15 12:00:00', '餐饮', '米线'),"
                 "('孩子', 5, '2024-03-16 12:00:00', '交通', '地铁')",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);

    const ToolRun run = RunCommand(kSearch + " 米线 2024-03 --ledger book.mdb 2>/dev/null");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "收支,编号,金额,成员,日期,类别,备注\n"
                          "支出,1,28.16,妈妈,2024-03-15 12:00:00,餐饮,米线\n"
                          "收入,1,2399,爸爸,2024-03-02 10:00:00,工资,\"云膳过桥米线, \"\"好\"\"\"\n");
    // The first search added the index, after a backup of the ledger.
    EXPECT_EQ(RunCommand(kSearch + " 2399 --ledger book.mdb").output,
              "收支,编号,金额,成员,日期,类别,备注\n"
              "收入,1,2399,爸爸,2024-03-02 10:00:00,工资,\"云膳过桥米线, \"\"好\"\"\"\n");
    EXPECT_EQ(RunCommand(kSearch + " --ledger book.mdb").exitCode, 1); // no text
    EXPECT_EQ(RunCommand(kSearch + " x --ledger missing.mdb").exitCode, 1);
}

} // namespace
