#include "tests/support/TempDir.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

ToolRun RunTool(const std::string& command) {
    return RunCommand(command);
}

std::string Dump(const char* path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    std::string out;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = sqlite3_column_text(statement, i);
            out += std::string(sqlite3_column_type(statement, i) == SQLITE_NULL
                                   ? "<NULL>"
                                   : reinterpret_cast<const char*>(text)) +
                   "|";
        }
        out += "\n";
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return out;
}

const std::string kExport = COFFER_EXPORT;
const std::string kImport = COFFER_IMPORT;
const std::string kInitDb = COFFER_INITDB;

TEST(ExchangeToolsTest, VersionsAndUsage) {
    EXPECT_EQ(RunTool(kExport + " --version").output.rfind("coffer-export ", 0), 0u);
    EXPECT_EQ(RunTool(kImport + " --version").output.rfind("coffer-import ", 0), 0u);
    EXPECT_EQ(RunTool(kExport).exitCode, 1);
    EXPECT_EQ(RunTool(kImport + " x.csv").exitCode, 1); // no kind chosen
    EXPECT_EQ(RunTool(kImport + " --income --expense x.csv").exitCode, 1);
    EXPECT_EQ(RunTool(kExport + " --bogus out").exitCode, 1);
}

TEST(ExchangeToolsTest, RoundTripThroughTheToolsAndExitStatuses) {
    testing_support::TempDir dir;
    ASSERT_EQ(RunTool(kInitDb + " old.mdb").exitCode, 0);
    ASSERT_EQ(RunTool(kInitDb + " new.mdb").exitCode, 0);
    {
        sqlite3* db = nullptr;
        sqlite3_open("old.mdb", &db);
        sqlite3_exec(
            db,
            "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
            "('爸爸', 1234.56, '2010-11-17 00:00:00', '餐饮', 'a \"q\", b\nc 😀'),"
            "('妈妈', 0.1, '2010-11-18 12:34:56', '交通', '  x');"
            "INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注) VALUES "
            "('孩子', 99.99, '2011-01-01 00:00:00', '奖金', NULL);",
            nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const ToolRun exported = RunTool(kExport + " old.mdb out");
    ASSERT_EQ(exported.exitCode, 0) << exported.output;
    ASSERT_EQ(RunTool(kExport + " --xlsx old.mdb out.xlsx").exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists("out.xlsx"));
    EXPECT_FALSE(std::filesystem::exists("out.xlsx.xlsx"));

    ToolRun imported = RunTool(kImport + " --expense out-支出.csv new.mdb");
    EXPECT_EQ(imported.exitCode, 0) << imported.output;
    EXPECT_EQ(imported.output, "导入完成！导入 2 条记录，跳过重复 0 条，错误 0 行。\n");
    EXPECT_EQ(RunTool(kImport + " --income out-收入.csv new.mdb").exitCode, 0);
    for (const char* sql : {"select * from normalPay", "select * from normalIncome",
                            "select typeof(备注), hex(备注) from normalPay"})
        EXPECT_EQ(Dump("new.mdb", sql), Dump("old.mdb", sql)) << sql;

    // Again: all duplicates, still a success.
    imported = RunTool(kImport + " --expense out-支出.csv new.mdb");
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.output, "导入完成！导入 0 条记录，跳过重复 2 条，错误 0 行。\n");

    std::ofstream("mixed.csv")
        << "日期,金额,成员,类别\n2024-01-01,5,爸爸,餐饮\n2024-01-01,x,爸爸,餐饮\n";
    imported = RunTool(kImport + " --expense mixed.csv new.mdb");
    EXPECT_EQ(imported.exitCode, 2) << imported.output;
    EXPECT_NE(imported.output.find("第 3 行：金额不是数字"), std::string::npos);
    EXPECT_EQ(Dump("new.mdb", "select count(*) from normalPay"), "3|\n");

    std::ofstream("broken.csv") << "日期,金额,成员,类别\n2024-01-02,5,爸爸,\"餐饮\n";
    imported = RunTool(kImport + " --expense broken.csv new.mdb");
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_NE(imported.output.find("引号没有结束"), std::string::npos);
    EXPECT_EQ(RunTool(kImport + " --expense missing.csv new.mdb").exitCode, 1);
    EXPECT_EQ(RunTool(kImport + " --expense mixed.csv nothere.mdb").exitCode, 1);
    EXPECT_EQ(RunTool(kExport + " nothere.mdb x").exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists("x-收入.csv"));
    EXPECT_EQ(Dump("new.mdb", "select count(*) from normalPay"), "3|\n");
}

} // namespace
