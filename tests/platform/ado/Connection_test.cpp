#include "platform/ado/ComError.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

using namespace ado;

constexpr const char* kText = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

void MakeRawDatabase(const char* path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path, &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// A file carrying our application id, so the engine takes it for a ledger.
void MakeDatabase(const char* path, const std::string& sql) {
    MakeRawDatabase(path, ("PRAGMA application_id = 1131374182;" + sql).c_str());
}

constexpr const char* kLedgerTables =
    "CREATE TABLE normalIncome (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 收入人员 TEXT);"
    "CREATE TABLE normalPay (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 支出人员 TEXT);"
    "CREATE TABLE 家庭成员 (ID INTEGER PRIMARY KEY, 类型 TEXT);"
    "CREATE TABLE 收入类型 (ID INTEGER PRIMARY KEY, 类型 TEXT);"
    "CREATE TABLE 支出类型 (ID INTEGER PRIMARY KEY, 类型 TEXT);"
    "CREATE TABLE baseData (ID INTEGER PRIMARY KEY, 类型 TEXT);"
    "CREATE TABLE tbUser (ID INTEGER PRIMARY KEY, user TEXT, password TEXT);";

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The engine error an Open raises, or code 0 when it opened.
ComError OpenError(Connection& connection) {
    try {
        connection.Open(kText, "", "", 0);
    } catch (const ComError& error) {
        return error;
    }
    return ComError(S_OK);
}

TEST(ConnectionTest, OpensAndClosesAnExistingFile) {
    testing_support::TempDir dir;
    MakeDatabase("data.mdb", "CREATE TABLE t (a TEXT)");
    Connection connection;
    EXPECT_EQ(connection.State(), adStateClosed);
    EXPECT_EQ(connection.Open(kText, "", "", 0), S_OK);
    EXPECT_EQ(connection.State(), adStateOpen);
    EXPECT_EQ(connection.FilePath(), (dir.Path() / "data.mdb").string());
    EXPECT_EQ(OpenError(connection).Error(), ADO_E_OBJECTOPEN);
    EXPECT_EQ(connection.Close(), S_OK);
    EXPECT_EQ(connection.State(), adStateClosed);
    EXPECT_EQ(connection.Close(), S_OK);
}

TEST(ConnectionTest, MissingFileIsAnErrorNamingItAndNothingIsCreated) {
    testing_support::TempDir dir;
    Connection connection;
    const ComError error = OpenError(connection);
    EXPECT_EQ(error.Error(), E_FAIL);
    ASSERT_TRUE(error.Description());
    EXPECT_NE(error.Description()->find((dir.Path() / "data.mdb").string()), std::string::npos);
    ASSERT_TRUE(error.Source());
    EXPECT_FALSE(std::filesystem::exists("data.mdb"));
    EXPECT_EQ(connection.State(), adStateClosed);
}

TEST(ConnectionTest, ForeignFilesAreReportedAndLeftByteIdentical) {
    const std::string accessHeader =
        std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + std::string(2000, '\x5a');
    for (const std::string& content : {accessHeader, std::string(), std::string("SQLite")}) {
        testing_support::TempDir dir;
        {
            std::ofstream out("data.mdb", std::ios::binary);
            out << content;
        }
        Connection connection;
        const ComError error = OpenError(connection);
        EXPECT_EQ(error.Error(), E_FAIL);
        ASSERT_TRUE(error.Description());
        EXPECT_NE(error.Description()->find("not an SQLite database"), std::string::npos);
        EXPECT_EQ(ReadFile("data.mdb"), content);
        EXPECT_FALSE(std::filesystem::exists("data.mdb-journal"));
    }
}

TEST(ConnectionTest, SqliteFilesThatAreNotLedgersAreRefusedAndLeftByteIdentical) {
    const std::string withoutATable =
        std::string(kLedgerTables).substr(0, std::string(kLedgerTables).rfind("CREATE"));
    const std::string cases[] = {
        "CREATE TABLE t (a TEXT)",                                 // someone else's database
        "PRAGMA journal_mode=WAL; CREATE TABLE t (a TEXT)",        // in WAL mode
        withoutATable,                                             // a ledger's tables but one
        std::string("PRAGMA application_id = 7;") + kLedgerTables, // another program's id
    };
    for (const std::string& sql : cases) {
        testing_support::TempDir dir;
        MakeRawDatabase("data.mdb", sql.c_str());
        const std::string before = ReadFile("data.mdb");
        Connection connection;
        const ComError error = OpenError(connection);
        EXPECT_EQ(error.Error(), E_FAIL) << sql;
        ASSERT_TRUE(error.Description());
        EXPECT_NE(error.Description()->find((dir.Path() / "data.mdb").string()), std::string::npos);
        EXPECT_EQ(ReadFile("data.mdb"), before) << sql;
        EXPECT_EQ(connection.State(), adStateClosed);
    }
}

TEST(ConnectionTest, ALedgerWithoutTheIdOpensAndKeepsItsHeaderAndJournalMode) {
    testing_support::TempDir dir;
    MakeRawDatabase("data.mdb", (std::string("PRAGMA journal_mode=WAL;") + kLedgerTables).c_str());
    Connection connection;
    EXPECT_EQ(connection.Open(kText, "", "", 0), S_OK);
    connection.Execute("INSERT INTO 家庭成员 (类型) VALUES ('外婆')");
    connection.Close();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open("data.mdb", &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT (SELECT application_id FROM pragma_application_id), "
                       "(SELECT journal_mode FROM pragma_journal_mode), "
                       "(SELECT count(*) FROM 家庭成员)",
                       -1, &statement, nullptr);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)), "wal");
    EXPECT_EQ(sqlite3_column_int(statement, 2), 1);
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

TEST(ConnectionTest, AWriteWaitsForAnotherWriterThenFailsAndLosesNothing) {
    testing_support::TempDir dir;
    MakeDatabase("data.mdb", "CREATE TABLE t (a TEXT); INSERT INTO t VALUES ('before')");
    auto connection = std::make_shared<Connection>();
    connection->Open(kText, "", "", 0);

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("data.mdb", &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO t VALUES ('other')", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);

    Recordset rs;
    rs.Open("t", connection, adOpenKeyset, adLockOptimistic, adCmdTable);
    rs.AddNew();
    rs.PutValue(0, Variant::Text("mine"));
    const auto start = std::chrono::steady_clock::now();
    try {
        rs.Update();
        ADD_FAILURE() << "the write went through a lock";
    } catch (const ComError& error) {
        EXPECT_EQ(error.Error(), E_FAIL);
        ASSERT_TRUE(error.Description());
        EXPECT_NE(error.Description()->find("locked"), std::string::npos);
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    // The pending row is still there to write once the lock is gone.
    EXPECT_EQ(rs.Update(), S_OK);
    rs.Close();

    Recordset check;
    check.Open("select a from t order by rowid", connection, adOpenStatic, adLockOptimistic,
               adCmdText);
    std::string all;
    for (; !check.IsEOF(); check.MoveNext())
        all += check.GetValue(0).TextValue() + ";";
    EXPECT_EQ(all, "before;other;mine;");
}

TEST(ConnectionTest, TransactionsCommitAndRollBack) {
    testing_support::TempDir dir;
    MakeDatabase("data.mdb", "CREATE TABLE t (a TEXT)");
    auto connection = std::make_shared<Connection>();
    connection->Open(kText, "", "", 0);
    auto add = [&](const char* text) {
        Recordset rs;
        rs.Open("t", connection, adOpenKeyset, adLockOptimistic, adCmdTable);
        rs.AddNew();
        rs.PutValue("a", Variant::Text(text));
        rs.Update();
    };
    connection->BeginTrans();
    add("kept");
    connection->CommitTrans();
    connection->BeginTrans();
    add("dropped");
    connection->RollbackTrans();

    Recordset rs;
    rs.Open("select * from t", connection, adOpenStatic, adLockOptimistic, adCmdText);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.GetValue(0).TextValue(), "kept");
}

// Users may add views, indexes and tables of their own with an SQLite tool, and the ledger
// still opens; a trigger acts on every write, so one Coffer does not make is refused, in
// plain words, and the file stays as it was.
struct AddedObject {
    const char* sql;
    bool opens;
};

const AddedObject kAddedObjects[] = {
    {"CREATE VIEW 本月 AS SELECT * FROM normalPay", true},
    {"CREATE INDEX 人员 ON normalPay (支出人员)", true},
    {"CREATE TABLE 笔记 (x TEXT)", true},
    {"CREATE TRIGGER wipe AFTER INSERT ON normalPay BEGIN "
     "DELETE FROM normalPay WHERE 编号 <> new.编号; END",
     false},
    {"CREATE TRIGGER keep BEFORE DELETE ON normalIncome BEGIN SELECT 1; END", false},
    {"CREATE VIEW v AS SELECT 1; CREATE TRIGGER t INSTEAD OF INSERT ON v BEGIN "
     "DELETE FROM normalPay; END",
     false},
};

TEST(ConnectionTest, OnlyATriggerCofferDidNotMakeKeepsALedgerFromOpening) {
    for (const AddedObject& added : kAddedObjects) {
        testing_support::TempDir dir;
        MakeDatabase("data.mdb", std::string(kLedgerTables) + added.sql);
        const std::string before = ReadFile("data.mdb");
        Connection connection;
        const ComError error = OpenError(connection);
        if (added.opens) {
            EXPECT_EQ(error.Error(), S_OK) << added.sql;
            continue;
        }
        EXPECT_EQ(error.Error(), E_FAIL) << added.sql;
        ASSERT_TRUE(error.Description());
        EXPECT_NE(error.Description()->find("不是银匣建的触发器"), std::string::npos)
            << *error.Description();
        EXPECT_EQ(ReadFile("data.mdb"), before) << added.sql;
    }
}

} // namespace
