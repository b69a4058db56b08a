#include "data/PasswordHash.h"
#include "tests/support/TempDir.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

ToolRun RunInitDb(const std::string& arguments, const char* umask = "022") {
    return RunCommand("umask " + std::string(umask) + " && " + COFFER_INITDB + " " + arguments);
}

std::string Tables(const char* path) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db,
                       "select name from sqlite_master where type = 'table' and name not like "
                       "'sqlite%' order by rowid",
                       -1, &statement, nullptr);
    std::string names;
    while (sqlite3_step(statement) == SQLITE_ROW)
        names +=
            reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)) + std::string(" ");
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return names;
}

TEST(InitDbTest, MakesDataMdbInTheCurrentDirectory) {
    testing_support::TempDir dir;
    const ToolRun run = RunInitDb("");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find((dir.Path() / "data.mdb").string()), std::string::npos);
    EXPECT_EQ(Tables("data.mdb"),
              "normalIncome normalPay 家庭成员 收入类型 支出类型 baseData tbUser planBudget "
              "planRecurring planOccurrence accountList accountLink accountTransfer "
              "accountReconcile phoneSubmission billOrder billChoice pictureStore pictureLink "
              "bankScheme ");
}

TEST(InitDbTest, MakesAGivenPathAndNeverOverwrites) {
    testing_support::TempDir dir;
    EXPECT_EQ(RunInitDb("other.db").exitCode, 0);
    EXPECT_FALSE(Tables("other.db").empty());
    {
        std::ofstream out("data.mdb", std::ios::binary);
        out << "not mine";
    }
    const ToolRun refused = RunInitDb("data.mdb");
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.output.find("already exists"), std::string::npos);
    std::ifstream in("data.mdb", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not mine");
    EXPECT_EQ(RunInitDb("a b").exitCode, 2);
}

std::string RootPassword(const char* path) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select password from tbUser where user = 'root'", -1, &statement,
                       nullptr);
    std::string password;
    if (sqlite3_step(statement) == SQLITE_ROW)
        password = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return password;
}

TEST(InitDbTest, TheLedgerIsPrivateAndKeepsRootsPasswordHashed) {
    for (const char* umask : {"000", "022", "077", "277"}) {
        SCOPED_TRACE(umask);
        testing_support::TempDir dir;
        const ToolRun run = RunInitDb("", umask);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        struct stat info {};
        ASSERT_EQ(::stat("data.mdb", &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        const std::string stored = RootPassword("data.mdb");
        EXPECT_TRUE(PasswordHash::IsHash(stored)) << stored;
        EXPECT_EQ(PasswordHash::Verify(stored, "73950"), PasswordMatch::Yes);
    }
}

} // namespace
