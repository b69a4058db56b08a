#include "records/RecordWriter.h"

#include "data/ADODatabase.h"
#include "records/AccountLink.h"
#include "records/ExpenseWatch.h"
#include "records/RecordTwin.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::TestDb;

class RecordWriterTest : public testing::Test {
protected:
    RecordWriterTest() {
        m_test.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
                    "('工资卡', '储蓄卡', 0, '2020-01-01', 1, 0), "
                    "('旧卡', '储蓄卡', 0, '2020-01-01', 2, 1)");
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
    }
    ~RecordWriterTest() override { CExpenseWatch::Set(nullptr); }

    static CNewRecord Expense(const std::string& amount) {
        CNewRecord record;
        record.strAmount = amount;
        record.strMember = "妈妈";
        record.strItem = "餐饮";
        record.dtRecord = COleDateTime(2024, 3, 5, 12, 30, 0);
        return record;
    }

    TestDb m_test;
    CADODatabase m_db;
};

// The amount as a phone or a file gives it: exact cents whatever the process locale.
TEST(RecordWriterAmount, ReadsCentsExactly) {
    struct Case {
        const char* text;
        CRecordWriter::Outcome outcome;
        std::int64_t cents;
    };
    const Case cases[] = {
        {"12", CRecordWriter::Added, 1200},
        {"12.3", CRecordWriter::Added, 1230},
        {" 0.07 ", CRecordWriter::Added, 7},
        {"1.10", CRecordWriter::Added, 110},
        {"1.230", CRecordWriter::Added, 123},
        {".5", CRecordWriter::Added, 50},
        {"-3.5", CRecordWriter::Added, -350},
        {"", CRecordWriter::NoAmount, 0},
        {"  ", CRecordWriter::NoAmount, 0},
        {"1,5", CRecordWriter::NotANumber, 0},
        {"1.2.3", CRecordWriter::NotANumber, 0},
        {"abc", CRecordWriter::NotANumber, 0},
        {".", CRecordWriter::NotANumber, 0},
        {"1e3", CRecordWriter::NotANumber, 0},
        {"1.234", CRecordWriter::NotCents, 0},
        {"99999999999999999999", CRecordWriter::NotANumber, 0},
    };
    for (const Case& each : cases) {
        std::int64_t cents = 0;
        EXPECT_EQ(CRecordWriter::ParseCents(each.text, cents), each.outcome) << each.text;
        if (each.outcome == CRecordWriter::Added) {
            EXPECT_EQ(cents, each.cents) << each.text;
        }
    }
}

TEST_F(RecordWriterTest, RefusesWhatTheEntryWindowRefusesWithItsWords) {
    struct Case {
        CNewRecord record;
        CRecordWriter::Outcome outcome;
        const char* message;
    };
    std::vector<Case> cases;
    cases.push_back({Expense(""), CRecordWriter::NoAmount, "请输入一个数字。"});
    cases.push_back({Expense("十元"), CRecordWriter::NotANumber, "请输入一个数字。"});
    cases.push_back(
        {Expense("0.00"), CRecordWriter::ZeroAmount, "支出金额不能为0！请填入正确的支出金额！"});
    CNewRecord income = Expense("0");
    income.bIncome = true;
    income.strItem = "工资";
    cases.push_back({income, CRecordWriter::ZeroAmount, "收入金额不能为0！请填入正确的收入金额！"});
    CNewRecord stranger = Expense("5");
    stranger.strMember = "邻居";
    cases.push_back({stranger, CRecordWriter::UnknownMember, "没有这个家庭成员！"});
    CNewRecord wrongKind = Expense("5");
    wrongKind.strItem = "工资"; // an income category on an expense
    cases.push_back({wrongKind, CRecordWriter::UnknownCategory, "没有这个支出项目！"});
    CNewRecord noAccount = Expense("5");
    noAccount.strAccount = "保险柜";
    cases.push_back({noAccount, CRecordWriter::UnknownAccount, "没有这个账户！"});
    CNewRecord stopped = Expense("5");
    stopped.strAccount = "旧卡";
    cases.push_back({stopped, CRecordWriter::StoppedAccount, "这个账户已停用！"});

    CRecordWriter writer(m_db);
    for (const Case& each : cases) {
        const CRecordWriter::Result result = writer.Add(each.record);
        EXPECT_EQ(result.nOutcome, each.outcome) << each.message;
        EXPECT_EQ(result.strMessage, each.message);
    }
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM normalPay"), "0");
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM normalIncome"), "0");

    m_test.Exec("DELETE FROM 家庭成员");
    EXPECT_EQ(writer.Add(Expense("5")).strMessage, "请先在系统设置中添加家庭成员！");
}

TEST_F(RecordWriterTest, WritesTheRecordWithItsAccountAndTheBudgetLine) {
    CExpenseWatch::Set([](CADODatabase&, const std::string& item, const COleDateTime&) {
        return CExpenseWatch::After([item] { return item + "超出预算！"; });
    });
    CNewRecord record = Expense("12.30");
    record.strNote = "午饭";
    record.strAccount = "工资卡";
    const CRecordWriter::Result result = CRecordWriter(m_db).Add(record);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.strMessage, "数据添加成功！\n餐饮超出预算！");
    const std::string id = std::to_string(result.nRecord);
    EXPECT_EQ(
        m_test.Query("SELECT 支出人员, 支出项目, 支出金额, 备注 FROM normalPay WHERE 编号 = " + id),
        (std::vector<std::vector<std::string>>{{"妈妈", "餐饮", "12.3", "午饭"}}));
    EXPECT_EQ(m_test.Scalar("SELECT a.名称 FROM accountLink l, accountList a WHERE a.ID = l.账户 "
                            "AND l.表 = 'normalPay' AND l.编号 = " +
                            id),
              "工资卡");

    // Without an account the record has no link, as records of older ledgers.
    const CRecordWriter::Result plain = CRecordWriter(m_db).Add(Expense("1"));
    ASSERT_TRUE(plain.Ok());
    EXPECT_EQ(CAccountLink::Of(m_db, "normalPay", plain.nRecord), 0);
}

// Whatever deletes a record (a window, a tool, another copy of Coffer) takes its link along,
// and a link is never made for a record already gone.
TEST_F(RecordWriterTest, LinksFollowTheRecords) {
    CNewRecord record = Expense("8");
    record.strAccount = "工资卡";
    const CRecordWriter::Result result = CRecordWriter(m_db).Add(record);
    ASSERT_TRUE(result.Ok());
    const std::string id = std::to_string(result.nRecord);

    CADODatabase other;
    other.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(other.Open());
    m_test.Exec("DELETE FROM normalPay WHERE 编号 = " + id);
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM accountLink"), "0");

    bool stopped = false;
    const std::int64_t account = CAccountLink::Find(m_db, "工资卡", stopped);
    ASSERT_NE(account, 0);
    CRecordWriter(other).Attach(CRecordTwin::Pay, result.nRecord, account);
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM accountLink"), "0");
}

} // namespace
