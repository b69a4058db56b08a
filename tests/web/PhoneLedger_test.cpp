#include "web/PhoneLedger.h"

#include "data/LedgerAdditions.h"
#include "plan/BudgetStore.h"
#include "plan/PlanHooks.h"
#include "web/PhoneTexts.h"

#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;

constexpr qint64 kNow = 1796630400; // 2026-12-07 (seconds since the epoch)

CPhoneLedger::Entry Pay(const std::string& amount, const std::string& item = "餐饮",
                        const std::string& note = "") {
    CPhoneLedger::Entry entry;
    entry.bPay = true;
    entry.strAmount = amount;
    entry.strMember = "妈妈";
    entry.strItem = item;
    entry.strWhen = "2026-12-07T12:30";
    entry.strNote = note;
    return entry;
}

std::string LongNote(int nCharacters) {
    std::string note;
    for (int i = 0; i < nCharacters; ++i)
        note += "字";
    return note;
}

class PhoneLedgerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_ledger.Open(error)) << error;
    }
    std::string Count() const { return db.Scalar("select count(*) from normalPay"); }

    TestDb db;
    CPhoneLedger m_ledger{TestDb::kConnectionString};
};

TEST_F(PhoneLedgerTest, ASubmissionWritesOnceHoweverOftenItIsSent) {
    const PhoneWriteResult first = m_ledger.Submit("submission-0000000001", "phone1", Pay("12.5", "餐饮", "午饭"), kNow);
    EXPECT_TRUE(first.bWritten);
    EXPECT_EQ(first.strMessage, "数据添加成功！");
    EXPECT_EQ(db.Query("select 支出人员, 支出项目, 支出金额, 支出日期, 备注 from normalPay"),
              (Rows{{"妈妈", "餐饮", "12.5", "2026-12-07 12:30:00", "午饭"}}));
    // A retry, even one that lost its text on the way, answers the same and writes nothing.
    const PhoneWriteResult again = m_ledger.Submit("submission-0000000001", "phone1", Pay("99"), kNow + 5);
    EXPECT_TRUE(again.bWritten);
    EXPECT_EQ(again.strMessage, first.strMessage);
    EXPECT_EQ(again.nRecord, first.nRecord);
    EXPECT_EQ(Count(), "1");
    EXPECT_TRUE(m_ledger.Submit("submission-0000000002", "phone1", Pay("12.5"), kNow).bWritten);
    EXPECT_EQ(Count(), "2");
}

TEST_F(PhoneLedgerTest, RefusalsSayWhatTheEntryWindowSaysAndWriteNothing) {
    struct Case {
        CPhoneLedger::Entry entry;
        std::string message;
    };
    CPhoneLedger::Entry income = Pay("0", "工资");
    income.bPay = false;
    CPhoneLedger::Entry stranger = Pay("5");
    stranger.strMember = "邻居";
    CPhoneLedger::Entry badDate = Pay("5");
    badDate.strWhen = "2026-02-30T10:00";
    const std::vector<Case> cases = {
        {Pay(""), "请输入一个数字。"},
        {Pay("十块"), "请输入一个数字。"},
        {Pay("0"), "支出金额不能为0！请填入正确的支出金额！"},
        {income, "收入金额不能为0！请填入正确的收入金额！"},
        {stranger, PhoneTexts::kMemberGone},
        {Pay("5", "工资"), PhoneTexts::kItemGone}, // an income category on an expense
        {badDate, PhoneTexts::kBadDate},
        {Pay("5", "餐饮", LongNote(201)), PhoneTexts::kNoteTooLong},
    };
    int n = 0;
    for (const Case& c : cases) {
        const PhoneWriteResult result =
            m_ledger.Submit("refused-submission-" + std::to_string(++n), "phone1", c.entry, kNow);
        EXPECT_FALSE(result.bWritten) << c.message;
        EXPECT_EQ(result.strMessage, c.message);
    }
    EXPECT_EQ(Count(), "0");
    EXPECT_EQ(db.Scalar("select count(*) from phoneSubmission"), "0");
}

TEST_F(PhoneLedgerTest, AnExpenseOverItsBudgetGetsTheBudgetLineAndARetryTheSameLine) {
    CPlanHooks::Install();
    std::string error;
    ASSERT_TRUE(CBudgetStore(m_ledger.Database()).Save({{"餐饮", 1000}}, error)) << error;
    const PhoneWriteResult result = m_ledger.Submit("budget-submission-01", "phone1", Pay("12.5"), kNow);
    ASSERT_TRUE(result.bWritten);
    EXPECT_EQ(result.strMessage.rfind("数据添加成功！\n", 0), 0u) << result.strMessage;
    EXPECT_NE(result.strMessage.find("餐饮"), std::string::npos) << result.strMessage;
    EXPECT_EQ(m_ledger.Submit("budget-submission-01", "phone1", Pay("12.5"), kNow).strMessage,
              result.strMessage);
}

TEST_F(PhoneLedgerTest, TheLastRecordCanBeCorrectedOrDeletedForTenMinutesFromItsPhone) {
    ASSERT_TRUE(m_ledger.Submit("correct-submission-1", "phone1", Pay("30"), kNow).bWritten);
    EXPECT_FALSE(m_ledger.LastRecord("phone2", kNow + 1)) << "another phone's record";
    const PhoneWriteResult corrected = m_ledger.Correct("phone1", Pay("35.5", "交通"), kNow + 60);
    EXPECT_TRUE(corrected.bWritten);
    EXPECT_EQ(corrected.strMessage, PhoneTexts::kCorrected);
    EXPECT_EQ(db.Query("select 支出项目, 支出金额 from normalPay"), (Rows{{"交通", "35.5"}}));
    EXPECT_EQ(m_ledger.Correct("phone1", Pay("0"), kNow + 60).strMessage,
              "支出金额不能为0！请填入正确的支出金额！");
    EXPECT_EQ(m_ledger.Correct("phone1", Pay("40"), kNow + 601).strMessage, PhoneTexts::kTooLate);
    EXPECT_EQ(m_ledger.Delete("phone2", kNow + 60).strMessage, PhoneTexts::kTooLate);
    EXPECT_EQ(m_ledger.Delete("phone1", kNow + 120).strMessage, PhoneTexts::kDeleted);
    EXPECT_EQ(Count(), "0");
    // The deleted record's submission, sent once more, does not bring it back.
    EXPECT_TRUE(m_ledger.Submit("correct-submission-1", "phone1", Pay("30"), kNow + 130).bWritten);
    EXPECT_EQ(Count(), "0");
}

TEST_F(PhoneLedgerTest, ARecordTakesItsAccountAndAStoppedOrUnknownOneIsRefused) {
    db.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
            "('招行卡', '储蓄卡', 0, '2026-01-01 00:00:00', 2, 0), "
            "('旧卡', '储蓄卡', 0, '2026-01-01 00:00:00', 3, 1)");
    EXPECT_EQ(m_ledger.Accounts(), (std::vector<std::string>{"（不指定）", "现金", "招行卡"}));
    struct Case {
        const char* account;
        std::string message;
    };
    const Case refused[] = {{"旧卡", "这个账户已停用！"}, {"没有的卡", "没有这个账户！"}};
    int n = 0;
    for (const Case& c : refused) {
        CPhoneLedger::Entry entry = Pay("5");
        entry.strAccount = c.account;
        const PhoneWriteResult result =
            m_ledger.Submit("account-refused-" + std::to_string(++n), "phone1", entry, kNow);
        EXPECT_FALSE(result.bWritten) << c.account;
        EXPECT_EQ(result.strMessage, c.message);
    }
    EXPECT_EQ(Count(), "0");

    CPhoneLedger::Entry card = Pay("20");
    card.strAccount = "招行卡";
    ASSERT_TRUE(m_ledger.Submit("account-submission-1", "phone1", card, kNow).bWritten);
    const std::string linked = "select a.名称 from accountLink l join accountList a on a.ID = l.账户";
    EXPECT_EQ(db.Query(linked), (Rows{{"招行卡"}}));
    EXPECT_EQ(m_ledger.LastRecord("phone1", kNow + 1)->strAccount, "招行卡");
    EXPECT_EQ(m_ledger.LastAccount("妈妈", true), "招行卡");
    // A correction may take the account away again.
    card.strAccount = "（不指定）";
    EXPECT_TRUE(m_ledger.Correct("phone1", card, kNow + 60).bWritten);
    EXPECT_EQ(db.Scalar("select count(*) from accountLink"), "0");
}

TEST_F(PhoneLedgerTest, MonthRecordsAreTheMembersOfThatMonthNewestFirst) {
    CPhoneLedger::Entry salary = Pay("8000", "工资");
    salary.bPay = false;
    salary.strWhen = "2026-12-01T00:00";
    CPhoneLedger::Entry lastMonth = Pay("3");
    lastMonth.strWhen = "2026-11-30T23:59";
    CPhoneLedger::Entry otherMember = Pay("4");
    otherMember.strMember = "爸爸";
    int n = 0;
    for (const CPhoneLedger::Entry& entry : {Pay("12.5"), salary, lastMonth, otherMember})
        ASSERT_TRUE(m_ledger.Submit("month-submission-" + std::to_string(++n), "p", entry, kNow).bWritten);
    const std::vector<CPhoneLedger::Record> month =
        m_ledger.MonthRecords("妈妈", COleDateTime(2026, 12, 7, 13, 0, 0));
    ASSERT_EQ(month.size(), 2u);
    EXPECT_EQ(month[0].nCents, 1250);
    EXPECT_TRUE(month[0].bPay);
    EXPECT_EQ(month[1].nCents, 800000);
    EXPECT_FALSE(month[1].bPay);
}

TEST_F(PhoneLedgerTest, AnOlderLedgerGainsTheSubmissionsTableAfterABackup) {
    COFFER_FILE_LEDGER_ONLY();
    db.Exec("drop table phoneSubmission");
    {
        CADODatabase old;
        old.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(old.Open());
        CLedgerAdditions::Write(old, CLedgerAdditions::kPlan);
    }
    CPhoneLedger ledger(TestDb::kConnectionString);
    std::string error;
    ASSERT_TRUE(ledger.Open(error));
    EXPECT_FALSE(std::filesystem::exists(db.Directory() / "backups"));
    ASSERT_TRUE(ledger.Submit("older-ledger-submission", "p", Pay("1"), kNow).bWritten);
    EXPECT_TRUE(std::filesystem::exists(db.Directory() / "backups"));
    EXPECT_EQ(db.Scalar("select count(*) from phoneSubmission"), "1");
    EXPECT_EQ(CLedgerAdditions::Read(ledger.Database()), CLedgerAdditions::kPhone);
}

} // namespace
