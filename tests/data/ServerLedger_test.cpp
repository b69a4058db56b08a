// The ledger on a server, with more than one computer at it: adds at the same time, a reorder
// while another copy adds, the server going away and coming back, and what a connection test
// tells about a wrong password, a missing database or a database without a ledger.
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ado/LedgerSchema.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/ole/OleDateTime.h"
#include "tests/support/TestCluster.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::TestCluster;
using testing_support::TestDb;
using Check = ado::ServerLedger::Check;

constexpr const char* kHousehold = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

class ServerLedgerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestDb::OnServer())
            GTEST_SKIP() << "about the server ledger";
        m_db = std::make_unique<TestDb>();
    }

    // Adds one record as the entry dialog does: the table by name, AddNew, five fields.
    static void AddIncome(CADODatabase& db, const std::string& member, double amount) {
        CADORecordset rs(&db);
        ASSERT_TRUE(rs.Open("normalIncome", CADORecordset::ModeTable));
        ASSERT_TRUE(rs.AddNew());
        rs.SetFieldValue("收入人员", member);
        rs.SetFieldValue("收入金额", amount);
        rs.SetFieldValue("收入日期", COleDateTime(2010, 11, 13, 7, 17, 7));
        rs.SetFieldValue("收入项目", std::string("工资"));
        rs.SetFieldValue("备注", std::string());
        ASSERT_TRUE(rs.Update());
        rs.Close();
    }

    // Runs `work` in a child process (another computer of the household); its exit code is
    // 0 when every step of it succeeded.
    static pid_t Spawn(const std::function<void()>& work) {
        const pid_t pid = fork();
        if (pid == 0) {
            int code = 0;
            try {
                work();
                code = ::testing::Test::HasFailure() ? 1 : 0;
            } catch (...) {
                code = 2;
            }
            _exit(code);
        }
        return pid;
    }
    static int Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::unique_ptr<TestDb> m_db;
};

TEST_F(ServerLedgerTest, TwoComputersAddingAtOnceBothKeepEveryRecord) {
    auto adder = [](const std::string& member) {
        return [member] {
            CADODatabase db;
            db.SetConnectionString(kHousehold);
            if (!db.Open())
                throw std::runtime_error("no connection");
            for (int i = 0; i < 1000; ++i)
                AddIncome(db, member, i);
        };
    };
    const pid_t first = Spawn(adder("爸爸"));
    const pid_t second = Spawn(adder("妈妈"));
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(Wait(second), 0);
    EXPECT_EQ(m_db->Scalar("select count(*) from normalIncome"), "2000");
    EXPECT_EQ(m_db->Scalar("select count(distinct 编号) from normalIncome"), "2000");
    EXPECT_EQ(m_db->Query("select 收入人员, count(*), sum(收入金额) from normalIncome "
                          "group by 收入人员 order by 1"),
              (std::vector<std::vector<std::string>>{{"妈妈", "1000", "499500.0"},
                                                     {"爸爸", "1000", "499500.0"}}));
}

// The reorder of the base-data window: in one transaction, read the list, empty the table
// and write the rows again in the new order.
void Reorder(CADODatabase& db) {
    ASSERT_TRUE(db.BeginTrans());
    std::vector<std::string> types;
    {
        CADORecordset rs(&db);
        ASSERT_TRUE(rs.Open("家庭成员", CADORecordset::ModeTable));
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string type;
            rs.GetFieldValue("类型", type);
            types.push_back(type);
        }
        rs.Close();
    }
    {
        CADORecordset rs(&db);
        rs.Open("delete from 家庭成员", CADORecordset::ModeUnknown);
    }
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("家庭成员", CADORecordset::ModeTable));
    for (auto it = types.rbegin(); it != types.rend(); ++it) {
        ASSERT_TRUE(rs.AddNew());
        rs.SetFieldValue("类型", *it);
        ASSERT_TRUE(rs.Update());
    }
    rs.Close();
    ASSERT_TRUE(db.CommitTrans());
}

TEST_F(ServerLedgerTest, AReorderWhileAnotherComputerAddsLosesNothing) {
    const pid_t reorders = Spawn([] {
        CADODatabase db;
        db.SetConnectionString(kHousehold);
        if (!db.Open())
            throw std::runtime_error("no connection");
        for (int i = 0; i < 60; ++i)
            Reorder(db);
    });
    const pid_t adds = Spawn([] {
        CADODatabase db;
        db.SetConnectionString(kHousehold);
        if (!db.Open())
            throw std::runtime_error("no connection");
        for (int i = 0; i < 150; ++i) {
            CADORecordset rs(&db);
            if (!rs.Open("家庭成员", CADORecordset::ModeTable) || !rs.AddNew())
                throw std::runtime_error("no add");
            rs.SetFieldValue("类型", "新" + std::to_string(i));
            if (!rs.Update())
                throw std::runtime_error("no update");
        }
    });
    EXPECT_EQ(Wait(reorders), 0);
    EXPECT_EQ(Wait(adds), 0);
    // Every entry once: the three there were and the 150 added, whatever the order.
    EXPECT_EQ(m_db->Scalar("select count(*) from 家庭成员"), "153");
    EXPECT_EQ(m_db->Scalar("select count(distinct 类型) from 家庭成员"), "153");
    EXPECT_EQ(m_db->Scalar("select count(*) from 家庭成员 where 类型 in ('爸爸', '妈妈', '孩子')"),
              "3");
}

TEST_F(ServerLedgerTest, AStoppedServerIsOneErrorAndTheNextActionAfterARestartWorks) {
    TestCluster cluster;
    cluster.Exec("postgres", "CREATE DATABASE ledger");
    std::string error;
    ASSERT_TRUE(
        ado::ServerLedger::CopyFromFile(m_db->FilePath().string(), cluster.Uri("ledger"), error))
        << error;
    setenv("COFFER_LEDGER", cluster.Uri("ledger").c_str(), 1);
    CADODatabase db;
    db.SetConnectionString(kHousehold);
    ASSERT_TRUE(db.Open());
    AddIncome(db, "爸爸", 1);

    cluster.Stop();
    int errors = 0;
    try {
        AddIncome(db, "爸爸", 2);
    } catch (const CADOException& e) {
        ++errors;
        const std::string said = e.GetErrorMessage();
        EXPECT_TRUE(said.rfind("与账本服务器的连接断了", 0) == 0 ||
                    said.rfind(ado::ServerLedger::Explain(Check::Unreachable), 0) == 0)
            << said;
    }
    EXPECT_EQ(errors, 1);
    // While it is down every action says so, and nothing is half-written.
    EXPECT_THROW(AddIncome(db, "爸爸", 3), CADOException);

    cluster.Start();
    AddIncome(db, "爸爸", 4);
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("select * from normalIncome", CADORecordset::ModeQuery));
    EXPECT_EQ(rs.GetRecordCount(), 2);
    double amount = 0;
    rs.MoveNext();
    rs.GetFieldValue(2, amount);
    EXPECT_EQ(amount, 4.0);
    rs.Close();
    setenv("COFFER_LEDGER", m_db->Uri().c_str(), 1);
}

TEST_F(ServerLedgerTest, AConnectionTestTellsWhatIsWrong) {
    const std::string host = std::getenv("COFFER_TEST_PGHOST");
    std::string detail;
    EXPECT_EQ(ado::ServerLedger::Test(m_db->Uri(), detail), Check::Ok) << detail;
    EXPECT_EQ(ado::ServerLedger::Test("postgresql:///x?host=/nonexistent&user=postgres", detail),
              Check::Unreachable)
        << detail;
    EXPECT_EQ(ado::ServerLedger::Test(TestDb::ServerUri("no_such_database"), detail),
              Check::NoDatabase)
        << detail;
    // A database without a ledger.
    EXPECT_EQ(ado::ServerLedger::Test(TestDb::ServerUri("postgres"), detail), Check::NotLedger)
        << detail;
    // The one role that logs in with a password.
    m_db->Exec("DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'coffer_pw') "
               "THEN CREATE ROLE coffer_pw LOGIN PASSWORD 'right'; END IF; END $$");
    EXPECT_EQ(
        ado::ServerLedger::Test("postgresql://coffer_pw:wrong@/postgres?host=" + host, detail),
        Check::WrongPassword)
        << detail;
    EXPECT_EQ(
        ado::ServerLedger::Test("postgresql://coffer_pw:right@/postgres?host=" + host, detail),
        Check::NotLedger)
        << detail;
}

// As a ledger file's: Coffer's own triggers run, any other (a new one, or one of ours with
// another body) keeps the ledger from opening, said plainly.
TEST_F(ServerLedgerTest, OnlyTriggersCofferMadeLetTheLedgerOpen) {
    for (const std::string& statement : ado::ledger_schema::Named("accounts").server)
        m_db->Exec(statement);
    const struct {
        const char* what;
        const char* plant; // "" plants nothing
        const char* refused; // the trigger named, "" when the ledger opens
    } cases[] = {
        {"ours", "", ""},
        {"another", "CREATE FUNCTION wipe() RETURNS trigger LANGUAGE plpgsql AS "
                    "$$BEGIN DELETE FROM normalPay; RETURN NULL; END$$; "
                    "CREATE TRIGGER wipe_pay AFTER INSERT ON normalPay "
                    "FOR EACH STATEMENT EXECUTE FUNCTION wipe()",
         "wipe_pay"},
        {"ours changed", "DROP TRIGGER wipe_pay ON normalPay; "
                         "CREATE OR REPLACE FUNCTION accountlink_normalpay() RETURNS trigger "
                         "LANGUAGE plpgsql AS $$BEGIN DELETE FROM normalPay; RETURN OLD; END$$",
         "accountlink_normalpay"},
    };
    for (const auto& c : cases) {
        if (*c.plant != '\0')
            m_db->Exec(c.plant);
        CADODatabase db;
        db.SetConnectionString(kHousehold);
        std::string said;
        try {
            db.Open();
        } catch (const CADOException& e) {
            said = e.GetErrorMessage();
        }
        if (*c.refused == '\0') {
            EXPECT_TRUE(db.IsOpen()) << c.what << ": " << said;
        } else {
            EXPECT_FALSE(db.IsOpen()) << c.what;
            EXPECT_NE(said.find(std::string("不是银匣建的触发器“") + c.refused), std::string::npos)
                << c.what << ": " << said;
        }
    }
}

} // namespace
