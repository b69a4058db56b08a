#include "data/StarterDatabase.h"

#include "data/LedgerAdditions.h"
#include "data/PasswordHash.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;

std::string Columns(const TestDb& db, const std::string& table) {
    std::string columns;
    for (const auto& row : db.Query("PRAGMA table_info(\"" + table + "\")"))
        columns += row[1] + " " + row[2] + (row[5] != "0" ? " pk" : "") + ";";
    return columns;
}

TEST(StarterDatabaseTest, HoldsEveryTableInColumnOrder) {
    COFFER_FILE_LEDGER_ONLY();
    TestDb db;
    EXPECT_EQ(db.Query("select name from sqlite_master where type = 'table' and name not like "
                       "'sqlite%' order by rowid"),
              (Rows{{"normalIncome"},
                    {"normalPay"},
                    {"家庭成员"},
                    {"收入类型"},
                    {"支出类型"},
                    {"baseData"},
                    {"tbUser"},
                    {"planBudget"},
                    {"planRecurring"},
                    {"planOccurrence"},
                    {"accountList"},
                    {"accountLink"},
                    {"accountTransfer"},
                    {"accountReconcile"},
                    {"phoneSubmission"},
                    {"billOrder"},
                    {"billChoice"},
                    {"pictureStore"},
                    {"pictureLink"},
                    {"bankScheme"}}));
    // The later tables are there from the start, and the count says so.
    EXPECT_EQ(db.Scalar("PRAGMA user_version"), std::to_string(CLedgerAdditions::kLatest));
    EXPECT_EQ(
        Columns(db, "normalIncome"),
        "编号 INTEGER pk;收入人员 TEXT;收入金额 DOUBLE;收入日期 DATETIME;收入项目 TEXT;备注 TEXT;");
    EXPECT_EQ(
        Columns(db, "normalPay"),
        "编号 INTEGER pk;支出人员 TEXT;支出金额 DOUBLE;支出日期 DATETIME;支出项目 TEXT;备注 TEXT;");
    for (const char* list : {"家庭成员", "收入类型", "支出类型"})
        EXPECT_EQ(Columns(db, list), "ID INTEGER pk;类型 TEXT;备注 TEXT;");
    EXPECT_EQ(Columns(db, "baseData"), "ID INTEGER pk;类型 TEXT;");
    EXPECT_EQ(Columns(db, "tbUser"), "ID INTEGER pk;user TEXT;password TEXT;");
    EXPECT_EQ(db.Scalar("PRAGMA application_id"), std::to_string(kCofferApplicationId));
    EXPECT_EQ(db.Scalar("select count(*) from sqlite_master where type = 'index' and sql like "
                        "'%日期%'"),
              "2");
}

TEST(StarterDatabaseTest, HoldsTheStarterRows) {
    TestDb db;
    EXPECT_EQ(db.Query("select 类型 from baseData"),
              (Rows{{"家庭成员"}, {"收入类型"}, {"支出类型"}}));
    EXPECT_EQ(db.Query("select user from tbUser"), (Rows{{"root"}}));
    // root's starter password is kept as a hash that the pre-filled login matches.
    const std::string stored = db.Scalar("select password from tbUser");
    EXPECT_TRUE(PasswordHash::IsHash(stored)) << stored;
    EXPECT_EQ(PasswordHash::Verify(stored, "73950"), PasswordMatch::Yes);
    EXPECT_EQ(db.Query("select 类型 from 家庭成员"), (Rows{{"爸爸"}, {"妈妈"}, {"孩子"}}));
    EXPECT_EQ(db.Query("select 类型 from 收入类型"),
              (Rows{{"工资"}, {"奖金"}, {"理财收益"}, {"其他收入"}}));
    EXPECT_EQ(db.Query("select count(*) from 支出类型"), (Rows{{"7"}}));
    EXPECT_EQ(db.Query("select count(*) from normalIncome"), (Rows{{"0"}}));
}

TEST(StarterDatabaseTest, NoPasswordInTheFileAndOnlyItsOwnerMayReadIt) {
    for (const mode_t umask : {mode_t{022}, mode_t{0}, mode_t{0277}}) {
        SCOPED_TRACE(umask);
        testing_support::TempDir dir;
        const mode_t previous = ::umask(umask);
        std::string error;
        const bool made = CreateStarterDatabase("data.mdb", error);
        ::umask(previous);
        ASSERT_TRUE(made) << error;
        struct stat info {};
        ASSERT_EQ(::stat("data.mdb", &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        // Not even the space the plain starter row once took keeps the password.
        std::ifstream in("data.mdb", std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(bytes.find("73950"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists("data.mdb-journal"));
    }
}

TEST(StarterDatabaseTest, RefusesAnExistingFile) {
    COFFER_FILE_LEDGER_ONLY();
    testing_support::TempDir dir;
    {
        std::ofstream out("data.mdb", std::ios::binary);
        out << "precious";
    }
    std::string error;
    EXPECT_FALSE(CreateStarterDatabase("data.mdb", error));
    EXPECT_NE(error.find("already exists"), std::string::npos);
    std::ifstream in("data.mdb", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");

    EXPECT_FALSE(CreateStarterDatabase("no/such/dir/data.mdb", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
