// A server ledger's session sets what the program's SQL texts rely on, whatever the server,
// the database or the role were set to by their owner.
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ado/ComError.h"
#include "platform/ado/pg/PgSession.h"
#include "platform/ole/OleDateTime.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;

TEST(ServerSessionTest, TextsAndDatesSurviveAServerSetUpOtherwise) {
    if (!TestDb::OnServer())
        GTEST_SKIP() << "about the server's session settings";
    TestDb ledger;
    // As a server whose owner kept the old escaping and another date style would have it.
    ::setenv("PGOPTIONS", "-c standard_conforming_strings=off -c DateStyle=SQL,DMY", 1);
    {
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(db.Open());
        CADORecordset rs(&db);
        // Texts as the entry windows write them: quotes doubled, nothing else escaped.
        rs.Open("insert into normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
                "values ('爸爸', 1, #2010-11-13#, '餐饮', 'C:\\')",
                CADORecordset::ModeUnknown);
        rs.Open("insert into normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
                "values ('妈妈', 2, #2010-11-14#, '餐饮', 'a\\'' or ''1''=''1')",
                CADORecordset::ModeUnknown);
        ASSERT_TRUE(rs.Open("select 支出日期 from normalPay where 支出人员 = '妈妈'",
                            CADORecordset::ModeQuery));
        COleDateTime when;
        rs.GetFieldValue(0, when);
        EXPECT_EQ(when, COleDateTime(2010, 11, 14, 0, 0, 0));
    }
    ::unsetenv("PGOPTIONS");
    EXPECT_EQ(ledger.Query("select 备注 from normalPay order by 编号"),
              (Rows{{"C:\\"}, {"a\\' or '1'='1"}}));
}

// A server that stops answering (its process stalled, a NAS gone from the network) holds
// the window only as long as the statement limit; a transaction it was in is dropped whole.
// The stall is real: the server process serving the connection is stopped.
TEST(ServerSessionTest, AServerThatStopsAnsweringIsGivenUpAndNothingIsHalfWritten) {
    if (!TestDb::OnServer())
        GTEST_SKIP() << "about the server's connection";
    TestDb ledger;
    ado::PgSession::SetStatementTimeout(std::chrono::milliseconds(1000));
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    const pid_t pid = testing_support::ServerProcessOf(db);
    ASSERT_GT(pid, 0);
    CADORecordset rs(&db);
    ASSERT_TRUE(db.BeginTrans());
    rs.Open("insert into normalPay (支出人员, 支出金额) values ('爸爸', 1)",
            CADORecordset::ModeUnknown);
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    std::string said;
    try {
        rs.Open("insert into normalPay (支出人员, 支出金额) values ('爸爸', 2)",
                CADORecordset::ModeUnknown);
    } catch (const CADOException& e) {
        said = e.GetErrorMessage();
    } catch (const ado::ComError& e) {
        said = e.Description().value_or("");
    }
    ::kill(pid, SIGCONT);
    EXPECT_NE(said.find("没有回答"), std::string::npos) << said;
    db.RollbackTrans();

    // A statement that runs too long is cancelled by the server itself.
    try {
        said.clear();
        // Rows are read when first wanted.
        if (rs.Open("select pg_sleep(5)", CADORecordset::ModeQuery))
            rs.GetRecordCount();
    } catch (const CADOException& e) {
        said = e.GetErrorMessage();
    } catch (const ado::ComError& e) {
        said = e.Description().value_or("");
    }
    EXPECT_NE(said.find("已经取消"), std::string::npos) << said;
    ado::PgSession::SetStatementTimeout(std::chrono::milliseconds(30000));
    db.Close();
    // The stopped server process ends its transaction once it runs again.
    for (int i = 0; i < 100 && ledger.Scalar("select count(*) from pg_stat_activity where pid = " +
                                             std::to_string(pid)) != "0";
         ++i)
        ::usleep(50000);
    EXPECT_EQ(ledger.Scalar("select count(*) from normalPay"), "0");
}

} // namespace
