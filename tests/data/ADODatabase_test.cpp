#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "tests/support/FailingVfs.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_support::TestDb;

TEST(ADODatabaseTest, OpenCloseAndReopen) {
    TestDb file;
    CADODatabase db;
    EXPECT_FALSE(db.IsOpen());
    db.Close(); // never opened: nothing happens
    db.SetConnectionString(TestDb::kConnectionString);
    EXPECT_EQ(db.GetConnectionString(), TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    EXPECT_TRUE(db.IsOpen());
    EXPECT_TRUE(db.Open()); // an open connection is closed and opened again
    EXPECT_TRUE(db.IsOpen());
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    db.Close();
    EXPECT_EQ(db.GetLastError(), 0u);
    EXPECT_EQ(db.GetLastErrorString(), "");
}

TEST(ADODatabaseTest, AMissingFileIsRecordedAndThrown) {
    COFFER_FILE_LEDGER_ONLY();
    TestDb file;
    std::filesystem::remove(file.FilePath());
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    const std::string path = (file.Directory() / "data.mdb").string();
    const std::string description = "找不到账本文件“" + path +
                                    "”。请确认它没有被移动、改名或删除，然后再试一次。"
                                    "（引擎信息：Could not find file '" +
                                    path + "'.）";
    try {
        db.Open();
        FAIL() << "opened a missing file";
    } catch (const CADOException& e) {
        EXPECT_EQ(e.GetErrorCode(), static_cast<std::int32_t>(0x80004005));
        EXPECT_EQ(e.GetErrorMessage(), description);
    }
    EXPECT_EQ(db.GetLastError(), 0x80004005u);
    EXPECT_EQ(db.GetErrorDescription(), description);
    EXPECT_EQ(db.GetLastErrorString(),
              "Connection String = Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb\n"
              "CADODataBase Error\n\tCode = 80004005\n\tCode meaning = Unspecified error\n"
              "\tSource = Coffer SQLite Engine\n\tDescription = " +
                  description + "\n");
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ADODatabaseTest, TransactionsKeepSeveralRowsTogether) {
    TestDb file;
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    EXPECT_FALSE(db.BeginTrans()); // not open
    ASSERT_TRUE(db.Open());
    ASSERT_TRUE(db.BeginTrans());
    {
        CADORecordset rs(&db);
        EXPECT_FALSE(rs.Open("delete from 家庭成员"));
    }
    EXPECT_EQ(file.Scalar("select count(*) from 家庭成员"), "3"); // not yet committed
    ASSERT_TRUE(db.RollbackTrans());
    EXPECT_EQ(file.Scalar("select count(*) from 家庭成员"), "3");

    ASSERT_TRUE(db.BeginTrans());
    {
        CADORecordset rs(&db);
        rs.Open("delete from 家庭成员");
    }
    ASSERT_TRUE(db.CommitTrans());
    EXPECT_EQ(file.Scalar("select count(*) from 家庭成员"), "0");
    EXPECT_THROW(db.CommitTrans(), CADOException); // no transaction is running
}

// A full disk ends the transaction inside SQLite; rolling back afterwards is then no error
// of its own, so the caller reports the full disk and not "no transaction is active".
TEST(ADODatabaseTest, RollingBackAfterTheEngineEndedTheTransactionSucceeds) {
    COFFER_FILE_LEDGER_ONLY();
    TestDb file;
    testing_support::FailingVfs vfs;
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    ASSERT_TRUE(db.BeginTrans());
    vfs.Set(testing_support::FailingVfs::Fault::DiskFull);
    try {
        CADORecordset rs(&db);
        rs.Open("delete from 家庭成员");
        FAIL() << "wrote to a full disk";
    } catch (const CADOException& e) {
        EXPECT_NE(e.GetErrorMessage().find("database or disk is full"), std::string::npos)
            << e.GetErrorMessage();
    }
    vfs.Set(testing_support::FailingVfs::Fault::None);
    EXPECT_TRUE(db.RollbackTrans());
    EXPECT_EQ(file.Scalar("select count(*) from 家庭成员"), "3");
    // The connection goes on as before.
    ASSERT_TRUE(db.BeginTrans());
    {
        CADORecordset rs(&db);
        rs.Open("delete from 家庭成员 where 类型 = '孩子'");
    }
    ASSERT_TRUE(db.CommitTrans());
    EXPECT_EQ(file.Scalar("select count(*) from 家庭成员"), "2");
}

} // namespace
