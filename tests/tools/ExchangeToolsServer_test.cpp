// coffer-export and coffer-import on a ledger on the PostgreSQL server: the same files, the
// same messages and the same records as with a ledger file.
#include "tests/support/TempDir.h"
#include "tests/tools/ServerDatabase.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using testing_support::FileRows;
using testing_support::Rows;
using testing_support::SameCell;
using testing_support::ServerDatabase;

const std::string kExport = COFFER_EXPORT;
const std::string kImport = COFFER_IMPORT;
const std::string kInitDb = COFFER_INITDB;

// Records whose texts test the round trip: quotes, commas, line breaks, emoji, leading
// spaces, cents, midnight.
// (A line break written as it is: both engines keep it inside a quoted text.)
constexpr const char* kRecords[] = {
    "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
    "('爸爸', 1234.56, '2010-11-17 00:00:00', '餐饮', 'a \"q\", b\nc 😀'),"
    "('妈妈', 0.1, '2010-11-18 12:34:56', '交通', '  x')",
    "INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注) VALUES "
    "('孩子', 99.99, '2011-01-01 00:00:00', '奖金', NULL)",
};

std::string Bytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

class ExchangeToolsServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("COFFER_TEST_PGHOST"))
            GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
    }
};

TEST_F(ExchangeToolsServerTest, ExportAndImportGiveWhatTheyGiveWithAFile) {
    testing_support::TempDir dir;
    ServerDatabase old, fresh;
    for (const ServerDatabase* database : {&old, &fresh})
        ASSERT_EQ(RunCommand(kInitDb + " --server " + Quoted(database->Uri())).exitCode, 0);
    // The same records in a file ledger too, for the files it gives.
    ASSERT_EQ(RunCommand(kInitDb + " old.mdb").exitCode, 0);
    for (const char* sql : kRecords) {
        old.Query(sql);
        FileRows("old.mdb", sql);
    }

    ToolRun run = RunCommand(kExport + " " + Quoted(old.Uri()) + " server");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(RunCommand(kExport + " old.mdb file").exitCode, 0);
    for (const char* kind : {"收入", "支出"})
        EXPECT_EQ(Bytes(("server-" + std::string(kind) + ".csv").c_str()),
                  Bytes(("file-" + std::string(kind) + ".csv").c_str()))
            << kind;
    EXPECT_EQ(RunCommand(kExport + " --xlsx " + Quoted(old.Uri()) + " server").exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists("server.xlsx"));

    run = RunCommand(kImport + " --expense server-支出.csv " + Quoted(fresh.Uri()));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "导入完成！导入 2 条记录，跳过重复 0 条，错误 0 行。\n");
    EXPECT_EQ(RunCommand(kImport + " --income server-收入.csv " + Quoted(fresh.Uri())).exitCode, 0);
    for (const char* sql :
         {"select * from normalPay order by 编号", "select * from normalIncome order by 编号"}) {
        const Rows want = old.Query(sql);
        const Rows got = fresh.Query(sql);
        ASSERT_EQ(got.size(), want.size()) << sql;
        for (size_t row = 0; row < want.size(); ++row)
            EXPECT_EQ(got[row], want[row]) << sql;
        // And the file ledger holds the same, numbers compared as numbers.
        const Rows file = FileRows("old.mdb", sql);
        ASSERT_EQ(file.size(), want.size()) << sql;
        for (size_t row = 0; row < want.size(); ++row)
            for (size_t i = 0; i < want[row].size(); ++i)
                EXPECT_TRUE(SameCell(file[row][i], want[row][i]))
                    << sql << ": " << file[row][i] << " / " << want[row][i];
    }

    // Again: all duplicates. A bad line: status 2, the good one imported.
    run = RunCommand(kImport + " --expense server-支出.csv " + Quoted(fresh.Uri()));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "导入完成！导入 0 条记录，跳过重复 2 条，错误 0 行。\n");
    std::ofstream("mixed.csv")
        << "日期,金额,成员,类别\n2024-01-01,5,爸爸,餐饮\n2024-01-01,x,爸爸,餐饮\n";
    run = RunCommand(kImport + " --expense mixed.csv " + Quoted(fresh.Uri()));
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("第 3 行：金额不是数字"), std::string::npos);
    EXPECT_EQ(fresh.Query("select count(*) from normalPay"), (Rows{{"3"}}));
}

TEST_F(ExchangeToolsServerTest, AServerWithoutALedgerIsAOneLineErrorAndWritesNothing) {
    testing_support::TempDir dir;
    ServerDatabase empty;
    std::ofstream("one.csv") << "日期,金额,成员,类别\n2024-01-01,5,爸爸,餐饮\n";
    for (const std::string& command : {kImport + " --expense one.csv " + Quoted(empty.Uri()),
                                       kExport + " " + Quoted(empty.Uri()) + " out"}) {
        const ToolRun run = RunCommand(command);
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists("out-收入.csv"));
    EXPECT_EQ(empty.Query("select count(*) from pg_tables where schemaname = 'public'"),
              (Rows{{"0"}}));
}

} // namespace
