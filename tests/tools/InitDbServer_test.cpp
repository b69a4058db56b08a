// coffer-initdb --server: a starter ledger in an empty database, never over a ledger; and
// --from: a file ledger moved over with every row and id, the ids going on past the highest.
#include "data/LedgerAdditions.h"
#include "data/StarterDatabase.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDb.h"
#include "tests/tools/ServerDatabase.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::FileRows;
using testing_support::Rows;
using testing_support::SameCell;
using testing_support::ServerDatabase;
using testing_support::TestDb;

class InitDbServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("COFFER_TEST_PGHOST"))
            GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
    }
};

TEST_F(InitDbServerTest, MakesAStarterLedgerOnceAndNeverOverALedger) {
    ServerDatabase database;
    const ToolRun made =
        RunCommand(std::string(COFFER_INITDB) + " --server '" + database.Uri() + "'");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_EQ(database.Query("select 类型 from baseData order by ID"),
              (Rows{{"家庭成员"}, {"收入类型"}, {"支出类型"}}));
    EXPECT_EQ(database.Query("select \"user\" from tbUser"), (Rows{{"root"}}));
    EXPECT_EQ(database.Query("select count(*) from 支出类型"), (Rows{{"7"}}));
    EXPECT_EQ(database.Query("select data_type from information_schema.columns where "
                             "table_name = 'normalincome' order by ordinal_position"),
              (Rows{{"integer"},
                    {"text"},
                    {"double precision"},
                    {"timestamp without time zone"},
                    {"text"},
                    {"text"}}));
    EXPECT_EQ(database.Query("select count(*) from pg_indexes where indexdef like '%收入日期%' or "
                             "indexdef like '%支出日期%'"),
              (Rows{{"2"}}));
    // The later tables are there from the start, numbering their rows, and the count says so.
    EXPECT_EQ(database.Query("select user_version from coffer_ledger"), (Rows{{std::to_string(CLedgerAdditions::kLatest)}}));
    // A record deleted on the server takes its account link along, as on a file.
    EXPECT_EQ(database.Query("select count(*) from pg_trigger where tgname like 'accountlink_%'"),
              (Rows{{"2"}}));
    EXPECT_EQ(database.Query("insert into planRecurring (收支, 金额, 规则, 规则日, 首日, 自动) "
                             "values (1, 100, 0, 1, '2010-11-01', 1) returning ID"),
              (Rows{{"1"}}));
    EXPECT_EQ(database.Query("select count(*) from planBudget, planOccurrence"), (Rows{{"0"}}));

    database.Query("insert into 家庭成员 (类型) values ('外婆')");
    const ToolRun again =
        RunCommand(std::string(COFFER_INITDB) + " --server '" + database.Uri() + "'");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.output.find("already holds a ledger"), std::string::npos) << again.output;
    EXPECT_EQ(database.Query("select count(*) from 家庭成员"), (Rows{{"4"}}));
}

TEST_F(InitDbServerTest, MovesAFileLedgerRowForRowWithItsIds) {
    testing_support::TempDir dir;
    std::string error;
    ASSERT_TRUE(CreateStarterDatabase("data.mdb", error)) << error;
    FileRows("data.mdb",
             "insert into normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注) values "
             "('爸爸', 0.1, '2010-11-13 07:17:07', '工资', 'it''s \\ a\ttab\nand a line'), "
             "('妈妈', 12345678.905, '2024-02-29 23:59:59', '奖金', null), "
             "('孩子', 1e-7, '1999-01-01 00:00:00', '其他收入', ''), "
             "('爸爸', -5, '2010-11-14 00:00:00', '工资', '删掉的')");
    FileRows("data.mdb", "delete from normalIncome where 备注 = '删掉的'");
    FileRows("data.mdb", "insert into normalPay (支出人员, 支出金额, 支出日期, 支出项目) values "
                         "('妈妈', 3.5, '2011-01-02 03:04:05', '餐饮')");
    FileRows("data.mdb", "delete from 家庭成员 where 类型 = '妈妈'");
    FileRows("data.mdb", "insert into planBudget (ID, 支出项目, 预算) values (7, '餐饮', 200000)");
    FileRows(
        "data.mdb",
        "insert into planRecurring (ID, 收支, 人员, 项目, 金额, 备注, 规则, 规则日, 首日, "
        "末日, 自动) values (3, 0, '爸爸', '住房', 150000, '房租', 1, 5, '2010-01-05', null, 1)");
    FileRows("data.mdb", "insert into planOccurrence (模板, 日期) values (3, '2010-01-05'), "
                         "(3, '2010-02-05')");
    ServerDatabase database;
    const ToolRun moved = RunCommand(std::string(COFFER_INITDB) + " --server '" + database.Uri() +
                                     "' --from data.mdb");
    ASSERT_EQ(moved.exitCode, 0) << moved.output;

    const struct {
        const char* table;
        const char* key;
    } tables[] = {{"normalIncome", "编号"},  {"normalPay", "编号"}, {"家庭成员", "ID"},
                  {"收入类型", "ID"},        {"支出类型", "ID"},    {"baseData", "ID"},
                  {"tbUser", "ID"},          {"planBudget", "ID"},  {"planRecurring", "ID"},
                  {"planOccurrence", "日期"}};
    for (const auto& t : tables) {
        const std::string sql = std::string("select * from ") + t.table + " order by " + t.key;
        const Rows file = FileRows("data.mdb", sql);
        const Rows server = database.Query(sql);
        ASSERT_EQ(file.size(), server.size()) << t.table;
        for (size_t row = 0; row < file.size(); ++row) {
            ASSERT_EQ(file[row].size(), server[row].size()) << t.table;
            for (size_t i = 0; i < file[row].size(); ++i)
                EXPECT_TRUE(SameCell(file[row][i], server[row][i]))
                    << t.table << " row " << row << ": " << file[row][i] << " / " << server[row][i];
        }
    }
    // The next record gets an id past the highest the file ever gave, the deleted one's too.
    EXPECT_EQ(database.Query("insert into normalIncome (收入人员) values ('新') returning 编号"),
              (Rows{{"5"}}));
    EXPECT_EQ(database.Query("insert into 家庭成员 (类型) values ('新') returning ID"),
              (Rows{{"4"}}));
    EXPECT_EQ(database.Query("insert into planBudget (支出项目, 预算) values ('交通', 1) "
                             "returning ID"),
              (Rows{{"8"}}));
    EXPECT_EQ(database.Query("select user_version from coffer_ledger"), (Rows{{std::to_string(CLedgerAdditions::kLatest)}}));
    // A key of several columns keeps a second copy of an occurrence out on the server too.
    EXPECT_EQ(database.Query("select string_agg(a.attname, ', ' order by a.attnum) from "
                             "pg_index i join pg_attribute a on a.attrelid = i.indrelid and "
                             "a.attnum = any(i.indkey) where i.indisprimary and "
                             "i.indrelid = 'planoccurrence'::regclass"),
              (Rows{{"模板, 日期"}}));
}

TEST_F(InitDbServerTest, AFailedMoveLeavesNothingOnTheServer) {
    testing_support::TempDir dir;
    ServerDatabase database;
    const ToolRun missing = RunCommand(std::string(COFFER_INITDB) + " --server '" + database.Uri() +
                                       "' --from nothing.mdb");
    EXPECT_EQ(missing.exitCode, 1) << missing.output;
    EXPECT_EQ(database.Query("select count(*) from pg_tables where schemaname = 'public'"),
              (Rows{{"0"}}));
}

// The SQL text a file keeps for its indexes can be edited (writable_schema) into anything
// SQLite still reads: the move builds each index from what SQLite says it is, so the text
// never reaches the server.
TEST_F(InitDbServerTest, AnIndexsStoredTextNeverReachesTheServer) {
    testing_support::TempDir dir;
    std::string error;
    ASSERT_TRUE(CreateStarterDatabase("data.mdb", error)) << error;
    FileRows("data.mdb", "create index 人员 on normalPay (支出人员 desc, 支出项目)");
    FileRows("data.mdb",
             "pragma writable_schema = on; update sqlite_master set sql = 'CREATE INDEX 人员 "
             "ON normalPay (支出人员 desc, 支出项目); CREATE TABLE planted (x integer)' "
             "where name = '人员'");
    ASSERT_EQ(FileRows("data.mdb", "pragma integrity_check"), (Rows{{"ok"}}));
    ServerDatabase database;

    const ToolRun moved = RunCommand(std::string(COFFER_INITDB) + " --server '" +
                                     database.Uri() + "' --from data.mdb");

    ASSERT_EQ(moved.exitCode, 0) << moved.output;
    EXPECT_EQ(database.Query("select count(*) from pg_class where relname = 'planted'"),
              (Rows{{"0"}}));
    EXPECT_EQ(database.Query("select indexdef like '%(\"支出人员\" DESC, \"支出项目\")' "
                             "from pg_indexes where indexname = '人员'"),
              (Rows{{"t"}}));
}

// A trigger Coffer does not make would act on the shared ledger for every member: the
// move refuses the file and leaves the database empty.
TEST_F(InitDbServerTest, AFileWithATriggerOfSomeoneElsesIsNotMoved) {
    testing_support::TempDir dir;
    std::string error;
    ASSERT_TRUE(CreateStarterDatabase("data.mdb", error)) << error;
    FileRows("data.mdb", "create trigger wipe after insert on normalPay begin "
                         "delete from normalPay where 编号 <> new.编号; end");
    ServerDatabase database;

    const ToolRun moved = RunCommand(std::string(COFFER_INITDB) + " --server '" +
                                     database.Uri() + "' --from data.mdb");

    EXPECT_EQ(moved.exitCode, 1);
    EXPECT_NE(moved.output.find("wipe"), std::string::npos) << moved.output;
    EXPECT_EQ(database.Query("select count(*) from pg_class where relname = 'normalpay'"),
              (Rows{{"0"}}));
}

// Every member can read the server's tables: a password an older file kept as plain text
// arrives there as its hash.
TEST_F(InitDbServerTest, APlainPasswordOfAnOlderFileArrivesHashed) {
    testing_support::TempDir dir;
    std::string error;
    ASSERT_TRUE(CreateStarterDatabase("data.mdb", error)) << error;
    FileRows("data.mdb", "update tbUser set password = 'plain-73950'");
    ServerDatabase database;

    const ToolRun moved = RunCommand(std::string(COFFER_INITDB) + " --server '" +
                                     database.Uri() + "' --from data.mdb");

    ASSERT_EQ(moved.exitCode, 0) << moved.output;
    EXPECT_EQ(database.Query("select substr(password, 1, 7) from tbUser"), (Rows{{"$argon2"}}));
}

} // namespace
