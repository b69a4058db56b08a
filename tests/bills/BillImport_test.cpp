#include "bills/BillImport.h"
#include "bills/BillPlan.h"
#include "bills/BillReader.h"
#include "bills/BillTexts.h"

#include "accounts/AccountStore.h"
#include "data/ADODatabase.h"
#include "tests/bills/BillFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using bill_files::Payment;
using testing_support::TestDb;

// 妈妈's wallets, a credit card ending in 7449, a savings card ending in 1234, and 爸爸's
// own WeChat wallet, which is not hers.
class BillImportTest : public testing::Test {
protected:
    BillImportTest() {
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
        m_alipay = Add("妈妈的支付宝", "支付宝", "妈妈");
        m_wechat = Add("妈妈的微信", "微信", "妈妈");
        Add("爸爸的微信", "微信", "爸爸");
        m_credit = Add("交通银行信用卡7449", "信用卡", "妈妈");
        m_savings = Add("招商银行(1234)", "储蓄卡", "");
        m_options.strMember = "妈妈";
    }

    std::int64_t Add(const std::string& name, const std::string& kind, const std::string& owner) {
        CAccount account;
        account.strName = name;
        account.strKind = kind;
        account.strOwner = owner;
        account.strOpeningDate = "2024-01-01";
        account.nOrder = ++m_order;
        EXPECT_EQ(CAccountStore(m_db).Save(account), "");
        return account.nId;
    }

    std::vector<BillLine> Plan(const std::string& bytes) {
        std::string error;
        EXPECT_TRUE(ReadBill(bytes, "bill.csv", m_bill, error)) << error;
        m_planner.Load(m_db, m_bill.nKind, m_options.strMember);
        return m_planner.Plan(m_bill, m_options);
    }

    BillSummary Import(const std::string& bytes, const BillProgress& progress = {}) {
        const std::vector<BillLine> lines = Plan(bytes);
        return WriteBill(m_db, m_bill.nKind, lines, m_options, progress);
    }

    std::string Count(const std::string& table) {
        return m_test.Scalar("SELECT COUNT(*) FROM " + table);
    }

    TestDb m_test;
    CADODatabase m_db;
    int m_order = 10;
    std::int64_t m_alipay = 0, m_wechat = 0, m_credit = 0, m_savings = 0;
    BillOptions m_options;
    BillFile m_bill;
    CBillPlanner m_planner;
};

struct RowCase {
    const char* name;
    bool wechat;
    Payment payment;
    BillLine::Kind kind;
    const char* reason; // the start of the reason
    const char* category;
    std::int64_t cents;
    int account; // 0 none, 1 支付宝, 2 微信, 3 credit card, 4 savings card
    int toAccount;
};

void PrintTo(const RowCase& c, std::ostream* out) {
    *out << c.name;
}

class BillRowTest : public BillImportTest, public testing::WithParamInterface<RowCase> {
protected:
    std::int64_t Id(int n) const {
        const std::int64_t ids[] = {0, m_alipay, m_wechat, m_credit, m_savings};
        return ids[n];
    }
};

// What each kind of row becomes: only completed payments are stored; the sources map to
// the member's accounts; neutral rows between two known accounts are transfers, others
// are left out, each with its reason.
TEST_P(BillRowTest, BecomesWhatItIsWithItsReason) {
    const RowCase& c = GetParam();
    const std::vector<Payment> payments = {c.payment};
    const std::vector<BillLine> lines =
        Plan(c.wechat ? bill_files::WeChatCsv(payments) : bill_files::AlipayCsv(payments));
    ASSERT_EQ(lines.size(), 1u);
    const BillLine& line = lines[0];
    EXPECT_EQ(line.nKind, c.kind);
    EXPECT_EQ(line.strReason.rfind(c.reason, 0), 0u) << line.strReason;
    if (c.kind == BillLine::Skipped)
        return;
    EXPECT_EQ(line.strCategory, c.category);
    EXPECT_EQ(line.nCents, c.cents);
    EXPECT_EQ(line.nAccount, Id(c.account));
    EXPECT_EQ(line.nToAccount, Id(c.toAccount));
}

const Payment kNoodles = {"2024-03-05 12:30:45", "餐饮美食", "云膳过桥米线(传奇广场店)",
                          "总共消费:28.16", "支出", "28.16", "余额", "交易成功", "A001", ""};

Payment With(Payment payment, const std::string& method, const std::string& status,
             const std::string& direction = "支出") {
    payment.method = method;
    payment.status = status;
    payment.direction = direction;
    return payment;
}

Payment Neutral(const std::string& type, const std::string& counterparty,
                const std::string& goods, const std::string& method) {
    return {"2024-03-08 10:00:00", type, counterparty, goods, "/", "500.00", method, "支付成功",
            "W" + type, ""};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BillRowTest,
    testing::Values(
        RowCase{"PaidFromBalance", false, kNoodles, BillLine::Expense, "已付款", "餐饮", 2816, 1, 0},
        RowCase{"PaidFromYuebao", false, With(kNoodles, "余额宝", "交易成功"), BillLine::Expense,
                "已付款", "餐饮", 2816, 1, 0},
        RowCase{"PaidByCard", false, With(kNoodles, "交通银行信用卡(7449)", "交易成功"),
                BillLine::Expense, "已付款", "餐饮", 2816, 3, 0},
        RowCase{"Closed", false, With(kNoodles, "余额", "交易关闭"), BillLine::Skipped,
                BillTexts::kClosed, "", 0, 0, 0},
        RowCase{"AwaitingReceipt", false, With(kNoodles, "余额", "等待确认收货"), BillLine::Skipped,
                "还没有完成：等待确认收货", "", 0, 0, 0},
        RowCase{"Received", false, With(kNoodles, "", "交易成功", "收入"), BillLine::Income,
                "已收款", "", 2816, 1, 0},
        RowCase{"UnknownSource", false, With(kNoodles, "花呗", "交易成功"), BillLine::Expense,
                "已付款", "餐饮", 2816, 0, 0},
        RowCase{"RefundAlone", false,
                {"2024-03-09 10:00:00", "退款", "云膳过桥米线(传奇广场店)", "退款-总共消费", "不计收支",
                 "5.00", "余额", "退款成功", "A009_R1", ""},
                BillLine::Expense, BillTexts::kRefundAlone, "餐饮", -500, 1, 0},
        RowCase{"WeChatPaid", true, With(kNoodles, "零钱", "支付成功"), BillLine::Expense, "已付款",
                "餐饮", 2816, 2, 0},
        RowCase{"WeChatToCard", true, Neutral("零钱提现", "招商银行(1234)", "", "零钱"),
                BillLine::Transfer, BillTexts::kBetween, "", 50000, 2, 4},
        RowCase{"WeChatTopUp", true, Neutral("零钱充值", "", "", "招商银行(1234)"),
                BillLine::Transfer, BillTexts::kBetween, "", 50000, 4, 2},
        RowCase{"CardRepaid", true, Neutral("信用卡还款", "交通银行信用卡(7449)", "", "零钱"),
                BillLine::Transfer, BillTexts::kBetween, "", 50000, 2, 3},
        RowCase{"IntoLingqiantongFromCard", true, Neutral("转入零钱通", "", "零钱通", "招商银行(1234)"),
                BillLine::Transfer, BillTexts::kBetween, "", 50000, 4, 2},
        RowCase{"IntoLingqiantongFromWallet", true, Neutral("转入零钱通", "", "零钱通", "零钱"),
                BillLine::Skipped, BillTexts::kSameAccount, "", 0, 0, 0},
        RowCase{"FundBought", true, Neutral("购买理财通", "理财通", "某某货币基金", "零钱"),
                BillLine::Skipped, BillTexts::kOtherSideUnknown, "", 0, 0, 0}),
    [](const testing::TestParamInfo<RowCase>& tested) { return std::string(tested.param.name); });

// A payment's category by the keyword rules: a keyword counts in the type, the counterparty
// or the goods, whatever bytes it is made of; the first rule with a keyword anywhere in the
// row wins, whichever text holds it.
TEST_F(BillImportTest, KeywordsAreFoundInAnyTextOfTheRow) {
    const struct {
        const char* type;
        const char* counterparty;
        const char* goods;
        const char* category;
    } cases[] = {
        {"商户消费", "12306客服", "车票", "交通"},
        {"商户消费", "某某公司", "三月物业费", "住房"},
        {"商户消费", "张记饭庄", "", "餐饮"},
        {"商户消费", "某某公司", "感冒药", "医疗"},
        {"商户消费", "某某超市", "外卖", "餐饮"},
        {"商户消费", "某某公司", "服务费", ""},
    };
    for (const auto& c : cases) {
        Payment payment = kNoodles;
        payment.type = c.type;
        payment.counterparty = c.counterparty;
        payment.goods = c.goods;
        const std::vector<BillLine> lines = Plan(bill_files::AlipayCsv({payment}));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].strCategory, c.category) << c.counterparty << " " << c.goods;
    }
}

// A refund lowers the payment it refunds (its category, the refund's date); a refund of a
// payment that was never stored is not stored either.
TEST_F(BillImportTest, RefundsLowerThePaymentTheyRefund) {
    Payment paid = kNoodles;
    paid.merchantOrder = "M77";
    Payment closed = With(kNoodles, "余额", "交易关闭");
    closed.order = "A002";
    closed.type = "日用百货";
    const std::vector<Payment> payments = {
        paid,
        closed,
        {"2024-03-10 09:00:00", "退款", "云膳过桥米线(传奇广场店)", "退款", "不计收支", "8.16", "余额",
         "退款成功", "A001_R1", ""},
        {"2024-03-10 09:00:00", "退款", "某超市", "退款", "不计收支", "10.00", "余额", "退款成功",
         "A002_R1", ""},
    };
    const std::vector<BillLine> lines = Plan(bill_files::AlipayCsv(payments));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].nKind, BillLine::Expense);
    EXPECT_EQ(lines[2].nCents, -816);
    EXPECT_EQ(lines[2].strCategory, "餐饮");
    EXPECT_EQ(lines[2].strReason, "退款，冲减第 20 行的支出");
    EXPECT_EQ(lines[3].nKind, BillLine::Skipped);
    EXPECT_EQ(lines[3].strReason, BillTexts::kRefundOfSkipped);

    EXPECT_EQ(WriteBill(m_db, m_bill.nKind, lines, m_options, {}).nExpense, 2u);
    EXPECT_EQ(m_test.Scalar("SELECT CAST(ROUND(SUM(支出金额) * 100) AS INTEGER) FROM normalPay "
                            "WHERE 支出项目 = '餐饮'"),
              "2000");
}

// Reading the same bill again, or a bill overlapping it, or a row twice in one bill, stores
// only what is new; a row like one typed by hand waits for a tick.
TEST_F(BillImportTest, NothingIsStoredTwiceAndHandTypedTwinsWaitForATick) {
    Payment second = kNoodles;
    second.order = "A002";
    second.time = "2024-03-06 19:00:00";
    second.amount = "66.00";
    Payment third = second;
    third.order = "A003";
    third.time = "2024-03-07 19:00:00";
    third.amount = "12.00";
    m_test.Exec("INSERT INTO normalPay (支出人员, 支出项目, 支出金额, 支出日期) VALUES ('妈妈', '餐饮', "
                "12, '2024-03-07 19:04:00')");

    // A row twice in one bill, the payment between them kept.
    const std::vector<BillLine> twice = Plan(bill_files::AlipayCsv({kNoodles, second, kNoodles}));
    EXPECT_EQ(twice.at(0).nKind, BillLine::Expense);
    EXPECT_EQ(twice.at(1).nKind, BillLine::Expense);
    EXPECT_EQ(twice.at(2).strReason, BillTexts::kTwiceInBill);
    EXPECT_FALSE(twice.at(2).Stored());

    BillSummary first = Import(bill_files::AlipayCsv({kNoodles, second}));
    EXPECT_EQ(first.nExpense, 2u);
    EXPECT_EQ(BillSummaryText(Import(bill_files::AlipayCsv({kNoodles, second}))),
              "导入完成！收入 0 笔，支出 0 笔，转账 0 笔，不记 2 笔，出错 0 笔。");

    std::vector<BillLine> lines = Plan(bill_files::AlipayCsv({second, third}));
    EXPECT_EQ(lines[0].strReason, BillTexts::kStoredBefore);
    EXPECT_TRUE(lines[1].bPossibleDuplicate);
    EXPECT_FALSE(lines[1].Stored());
    EXPECT_EQ(WriteBill(m_db, m_bill.nKind, lines, m_options, {}).nExpense, 0u);
    m_options.ticked.insert(lines[1].Row().nLine);
    EXPECT_EQ(Import(bill_files::AlipayCsv({second, third})).nExpense, 1u);
    EXPECT_EQ(Count("normalPay"), "4");
    EXPECT_EQ(Count("billOrder"), "3");
}

// What was stored: the note keeps the counterparty and the goods, the record its account,
// the transfer its two accounts; a choice made once is used for the next bill.
TEST_F(BillImportTest, StoresNotesAccountsTransfersAndRemembersChoices) {
    Payment unknown = kNoodles;
    unknown.counterparty = "某某工作室";
    unknown.type = "其他";
    unknown.goods = "服务费";
    unknown.method = "花呗";
    unknown.order = "A005";
    m_options.categories[CategoryKey(false, "某某工作室")] = "教育";
    m_options.accounts["花呗"] = m_credit;
    const BillSummary summary = Import(bill_files::AlipayCsv(
        {kNoodles, unknown,
         {"2024-03-08 10:00:00", "信用借还", "交通银行信用卡(7449)", "信用卡还款", "不计收支", "300.00",
          "余额", "交易成功", "A006", ""}}));
    EXPECT_EQ(summary.nExpense, 2u);
    EXPECT_EQ(summary.nTransfers, 1u);
    EXPECT_EQ(m_test.Query("SELECT p.支出项目, p.备注, a.名称 FROM normalPay p, accountLink l, "
                           "accountList a WHERE l.表 = 'normalPay' AND l.编号 = p.编号 AND "
                           "a.ID = l.账户 ORDER BY p.编号"),
              (std::vector<std::vector<std::string>>{
                  {"餐饮", "云膳过桥米线(传奇广场店) 总共消费:28.16", "妈妈的支付宝"},
                  {"教育", "某某工作室 服务费", "交通银行信用卡7449"}}));
    EXPECT_EQ(m_test.Query("SELECT 转出账户, 转入账户, 金额 FROM accountTransfer"),
              (std::vector<std::vector<std::string>>{
                  {std::to_string(m_alipay), std::to_string(m_credit), "30000"}}));

    m_options = BillOptions{};
    m_options.strMember = "妈妈";
    unknown.order = "A007";
    const std::vector<BillLine> next = Plan(bill_files::AlipayCsv({unknown}));
    EXPECT_EQ(next[0].strCategory, "教育");
    EXPECT_EQ(next[0].nAccount, m_credit);
}

// Cancelling leaves the ledger as it was.
TEST_F(BillImportTest, CancellingWritesNothing) {
    std::vector<Payment> payments;
    for (int n = 0; n < 450; ++n) {
        Payment payment = kNoodles;
        payment.order = "C" + std::to_string(n);
        payments.push_back(payment);
    }
    int calls = 0;
    const BillSummary summary =
        Import(bill_files::AlipayCsv(payments), [&calls](double) { return ++calls < 2; });
    EXPECT_TRUE(summary.bCancelled);
    EXPECT_EQ(Count("normalPay"), "0");
    EXPECT_EQ(Count("billOrder"), "0");
    EXPECT_EQ(Count("accountLink"), "0");
}

} // namespace
