#include "bills/BillFields.h"
#include "bills/BillImport.h"
#include "bills/BillReader.h"

#include "tests/bills/BillFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using bill_files::Payment;

const std::vector<Payment> kPayments = {
    {"2024-03-05 12:30:45", "餐饮美食", "云膳过桥米线(传奇广场店)", "总共消费:28.16", "支出",
     "28.16", "交通银行信用卡(7449)", "交易成功", "2024030522001400001", "M0001"},
    {"2024-03-06 08:00:00", "转账红包", "李四", "收钱", "收入", "1280.00", "", "交易成功",
     "2024030622001400002", ""},
    {"2024-03-07 09:15:00", "投资理财", "余额宝", "转入余额宝", "不计收支", "100.00", "余额",
     "交易成功", "2024030722001400003", ""},
};

struct LayoutCase {
    const char* name;
    std::function<std::string(const std::vector<Payment>&)> make;
    BillKind kind;
    std::size_t firstLine; // the first payment's line in the file
    bool methods;          // the layout names where the money came from
};

class BillLayoutTest : public testing::TestWithParam<LayoutCase> {};

// Each layout gives the same rows: the padding, tabs, "/" and "¥" gone, the direction read
// from 收/支 or, in the older Alipay columns, from 资金状态.
TEST_P(BillLayoutTest, ReadsEveryRowAsTheServiceMeantIt) {
    const LayoutCase& layout = GetParam();
    BillFile bill;
    std::string error;
    ASSERT_TRUE(ReadBill(layout.make(kPayments), "bill.csv", bill, error)) << error;
    EXPECT_EQ(bill.nKind, layout.kind);
    ASSERT_EQ(bill.rows.size(), kPayments.size());
    const BillRow& first = bill.rows[0];
    EXPECT_EQ(first.nLine, layout.firstLine);
    EXPECT_EQ(first.dtWhen, COleDateTime(2024, 3, 5, 12, 30, 45));
    EXPECT_EQ(first.strType, "餐饮美食");
    EXPECT_EQ(first.strCounterparty, "云膳过桥米线(传奇广场店)");
    EXPECT_EQ(first.strGoods, "总共消费:28.16");
    EXPECT_EQ(first.nDirection, BillDirection::Out);
    EXPECT_EQ(first.nCents, 2816);
    EXPECT_EQ(first.strMethod, layout.methods ? "交通银行信用卡(7449)" : "");
    EXPECT_EQ(first.strStatus, "交易成功");
    EXPECT_EQ(first.strOrder, "2024030522001400001");
    EXPECT_EQ(first.strMerchantOrder, "M0001");
    EXPECT_EQ(bill.rows[1].nDirection, BillDirection::In);
    EXPECT_EQ(bill.rows[1].nCents, 128000);
    EXPECT_EQ(bill.rows[1].strMethod, "");
    EXPECT_EQ(bill.rows[1].strMerchantOrder, "");
    EXPECT_EQ(bill.rows[1].nLine, layout.firstLine + 1);
    EXPECT_EQ(bill.rows[2].nDirection, BillDirection::Neutral);
    EXPECT_EQ(bill.rows[2].strOrder, "2024030722001400003");
}

// The older Alipay export has no 收/付款方式 column.
INSTANTIATE_TEST_SUITE_P(
    Layouts, BillLayoutTest,
    testing::Values(LayoutCase{"AlipayGbk", bill_files::AlipayCsv, BillKind::Alipay, 20, true},
                    LayoutCase{"OlderAlipay", bill_files::OlderAlipayCsv, BillKind::Alipay, 6, false},
                    LayoutCase{"WeChatBom", bill_files::WeChatCsv, BillKind::WeChat, 18, true}),
    [](const testing::TestParamInfo<LayoutCase>& tested) { return std::string(tested.param.name); });

struct RefusedCase {
    const char* name;
    std::string bytes;
    const char* says; // a part of the message
};

class BillRefusedTest : public testing::TestWithParam<RefusedCase> {};

// A file that is no bill, or a bill with a row that cannot be read, is refused whole, in
// words naming the file (and the line).
TEST_P(BillRefusedTest, SaysWhatIsWrongNamingTheFile) {
    BillFile bill;
    bill.rows.resize(1);
    std::string error;
    EXPECT_FALSE(ReadBill(GetParam().bytes, "三月.csv", bill, error));
    EXPECT_NE(error.find("“三月.csv”"), std::string::npos) << error;
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
    EXPECT_EQ(bill.rows.size(), 1u); // the bill given is left alone
}

std::vector<RefusedCase> RefusedCases() {
    std::vector<Payment> badAmount = kPayments;
    badAmount[1].amount = "12.8x";
    std::vector<Payment> badTime = kPayments;
    badTime[2].time = "昨天";
    return {
        {"NoHeading", "日期,金额,备注\n2024-01-01,12.00,午饭\n", "不是支付宝或微信支付的账单"},
        {"Empty", "", "不是支付宝或微信支付的账单"},
        {"BadAmount", bill_files::WeChatCsv(badAmount), "第 19 行的金额读不出"},
        {"BadTime", bill_files::AlipayCsv(badTime), "第 22 行的交易时间读不出"},
        {"NotText", std::string("\xFF\xFE\x00\x01\x02\x81\x30", 7), "不是"},
    };
}

INSTANTIATE_TEST_SUITE_P(Files, BillRefusedTest, testing::ValuesIn(RefusedCases()),
                         [](const testing::TestParamInfo<RefusedCase>& tested) {
                             return std::string(tested.param.name);
                         });

} // namespace

// The amounts a bill's records are written with, refunds (negative) and the largest included.
TEST(BillCentsTextTest, WritesYuanAndTwoDecimals) {
    const struct {
        std::int64_t nCents;
        const char* text;
    } cases[] = {{0, "0.00"},       {7, "0.07"},           {-7, "-0.07"},
                 {1280, "12.80"},   {-123456, "-1234.56"}, {INT64_MAX, "92233720368547758.07"},
                 {INT64_MIN, "-92233720368547758.08"}};
    for (const auto& c : cases)
        EXPECT_EQ(BillCentsText(c.nCents), c.text) << c.nCents;
}

// Amounts as the services and banks write them, signs and separators dropped wherever they
// stand; nothing else is taken for an amount.
TEST(BillAmountTest, ReadWithTheirSignsAndSeparatorsDropped) {
    const struct {
        const char* text;
        bool bRead;
        std::int64_t nCents;
    } cases[] = {{"¥28.16", true, 2816},      {"￥1,280.00", true, 128000},
                 {"-1,234.50元", true, -123450}, {"+20", true, 2000},
                 {" 7 元 ", true, 700},        {"", false, 0},
                 {"¥", false, 0},             {"12.3.4", false, 0},
                 {"二十元", false, 0}};
    for (const auto& c : cases) {
        std::int64_t nCents = 0;
        EXPECT_EQ(ParseBillCents(c.text, nCents), c.bRead) << c.text;
        if (c.bRead) {
            EXPECT_EQ(nCents, c.nCents) << c.text;
        }
    }
}
