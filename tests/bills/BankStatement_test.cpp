#include "bills/AnyBill.h"
#include "bills/BankBalance.h"
#include "bills/BankScheme.h"
#include "bills/BankStatement.h"

#include "tests/bills/BankFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using bank_files::Line;

const std::vector<Line> kLines = {
    {"2024-03-01", "5000.00", "5100.00", "工资", "某某科技有限公司"},
    {"2024-03-02", "-28.16", "5071.84", "消费", "云膳过桥米线"},
    {"2024-03-02", "-1234.50", "3837.34", "转账", "李四"},
    {"2024-03-05", "-12.00", "3825.34", "快捷支付", ""},
};

struct LayoutCase {
    const char* name;
    std::function<std::string(const std::vector<Line>&)> make;
    std::vector<std::string> heading;
    std::size_t firstLine;   // the file's line of kLines' first row
    bool newestFirst;
};

const LayoutCase kLayouts[] = {
    {"Signed", [](const std::vector<Line>& lines) { return bank_files::SignedCsv(lines); },
     {"记账日期", "交易金额", "余额", "摘要", "对方户名"}, 6, false},
    {"InAndOut", bank_files::ColumnsCsv,
     {"交易日期", "交易时间", "收入金额", "支出金额", "账户余额", "交易摘要", "对方名称"}, 8, true},
};

class BankLayoutTest : public testing::TestWithParam<LayoutCase> {
protected:
    static CBankScheme Scheme(const LayoutCase& layout) {
        CBankScheme scheme = GuessBankScheme(layout.heading);
        scheme.strName = "银行";
        scheme.nAccount = 7;
        return scheme;
    }
};

// A signed amount and a pair of 收入/支出 columns give the same rows: direction, cents,
// balance, the line of the file, the summary as the note's text.
TEST_P(BankLayoutTest, ReadsTheSameRowsEitherWay) {
    const LayoutCase& layout = GetParam();
    BillFile bill;
    std::string error;
    ASSERT_TRUE(ReadBankStatement(layout.make(kLines), "s.csv", Scheme(layout), bill, error))
        << error;
    ASSERT_EQ(bill.rows.size(), kLines.size());
    EXPECT_EQ(bill.nKind, BillKind::Bank);
    EXPECT_EQ(bill.nAccount, 7);
    for (std::size_t n = 0; n < kLines.size(); ++n) {
        const BillRow& row = bill.rows[layout.newestFirst ? kLines.size() - 1 - n : n];
        SCOPED_TRACE(kLines[n].summary);
        EXPECT_EQ(row.nLine, layout.newestFirst ? layout.firstLine - n : layout.firstLine + n);
        const bool bOut = kLines[n].amount[0] == '-';
        EXPECT_EQ(row.nDirection, bOut ? BillDirection::Out : BillDirection::In);
        EXPECT_EQ(row.strType, kLines[n].summary);
        EXPECT_EQ(row.strCounterparty,
                  kLines[n].counterparty.empty() ? kLines[n].summary : kLines[n].counterparty);
        EXPECT_TRUE(row.bHasBalance);
        EXPECT_EQ(row.dtWhen.GetDay(), std::stoi(kLines[n].date.substr(8)));
    }
    const BillRow& rent = bill.rows[layout.newestFirst ? 1 : 2];
    EXPECT_EQ(rent.nCents, 123450);
    EXPECT_EQ(rent.nBalance, 383734);
    BalanceGap gap;
    EXPECT_FALSE(FindBalanceGap(100 * 100, bill.rows, gap)) << gap.nLine;
}

INSTANTIATE_TEST_SUITE_P(Layouts, BankLayoutTest, testing::ValuesIn(kLayouts),
                         [](const auto& each) { return std::string(each.param.name); });

// The headings banks use are mapped by themselves; what is missing is named.
TEST(BankSchemeTest, GuessesColumnsAndSaysWhatIsMissing) {
    CBankScheme scheme = GuessBankScheme(
        BankHeader({" 交易日期 ", "交易时间", "交易金额(元)", "余额(元)", "摘要", "对方户名", "", ""}));
    EXPECT_EQ(scheme.header.size(), 6u);
    EXPECT_EQ(scheme[BankDate], 0);
    EXPECT_EQ(scheme[BankTime], 1);
    EXPECT_EQ(scheme[BankAmount], 2);
    EXPECT_EQ(scheme[BankBalance], 3);
    EXPECT_EQ(scheme[BankIn], -1);
    EXPECT_EQ(BankSchemeMissingText(scheme), "请选择这个账单所属的账户！");
    scheme.nAccount = 3;
    EXPECT_EQ(BankSchemeMissingText(scheme), "");
    scheme[BankAmount] = -1;
    scheme[BankIn] = 4;
    EXPECT_EQ(BankSchemeMissingText(scheme), "请选出交易金额所在的列，或者收入和支出所在的两列！");
    scheme[BankDate] = -1;
    EXPECT_EQ(BankSchemeMissingText(scheme), "请选出记账日期所在的列！");
}

struct BadCase {
    const char* name;
    Line line;
    bool columns;
    const char* error;
};

class BankRefusedTest : public testing::TestWithParam<BadCase> {};

// A line that cannot be read stops the whole statement, naming the file and the line.
TEST_P(BankRefusedTest, NamesTheLine) {
    const BadCase& bad = GetParam();
    std::vector<Line> lines = {kLines[0], bad.line, kLines[3]};
    const LayoutCase& layout = kLayouts[bad.columns ? 1 : 0];
    CBankScheme scheme = GuessBankScheme(layout.heading);
    scheme.nAccount = 1;
    BillFile bill;
    std::string error;
    EXPECT_FALSE(ReadBankStatement(layout.make(lines), "s.csv", scheme, bill, error));
    EXPECT_EQ(error, bad.error);
    EXPECT_TRUE(bill.rows.empty());
}

const BadCase kBad[] = {
    {"TwoPoints", {"2024-03-02", "-28.1.6", "1.00", "消费", ""}, false,
     "“s.csv”第 7 行的金额读不出：-28.1.6"},
    {"Letter", {"2024-03-02", "-2x.16", "1.00", "消费", ""}, false, "“s.csv”第 7 行的金额读不出：-2x.16"},
    {"ThreeDecimals", {"2024-03-02", "-28.165", "1.00", "消费", ""}, false,
     "“s.csv”第 7 行的金额读不出：-28.165"},
    {"BadBalance", {"2024-03-02", "-28.16", "1.0x", "消费", ""}, false,
     "“s.csv”第 7 行的余额读不出：1.0x"},
    {"BadDate", {"2024-13-02", "-28.16", "1.00", "消费", ""}, false,
     "“s.csv”第 7 行的日期读不出：2024-13-02"},
    {"NoAmount", {"2024-03-02", "", "1.00", "消费", ""}, true, "“s.csv”第 6 行没有金额"},
    {"ColumnWords", {"2024-03-02", "-abc", "1.00", "消费", ""}, true,
     "“s.csv”第 6 行的金额读不出：abc"},
};

INSTANTIATE_TEST_SUITE_P(Lines, BankRefusedTest, testing::ValuesIn(kBad),
                         [](const auto& each) { return std::string(each.param.name); });

// Both columns holding money is no line a bank writes: it is refused, not guessed at.
TEST(BankRefusedTest, BothColumnsWithMoney) {
    CBankScheme scheme = GuessBankScheme({"日期", "收入", "支出"});
    scheme.nAccount = 1;
    BillFile bill;
    std::string error;
    EXPECT_FALSE(ReadBankStatement("日期,收入,支出\n2024-03-01,1.00,2.00\n", "s.csv", scheme, bill,
                                   error));
    EXPECT_EQ(error, "“s.csv”第 2 行的收入和支出都有金额");
}

// The walk starts from the balance before the statement and names the first line whose
// balance it does not reach, with both amounts, whichever way round the statement lists.
TEST(BankBalanceTest, NamesTheFirstLineWhereTheyPart) {
    std::vector<Line> lines = kLines;
    lines[2].balance = "3837.43"; // a misread line; the next one follows from it again
    lines[3].balance = "3825.43";
    for (const LayoutCase& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        CBankScheme scheme = GuessBankScheme(layout.heading);
        scheme.nAccount = 1;
        BillFile bill;
        std::string error;
        ASSERT_TRUE(ReadBankStatement(layout.make(lines), "s.csv", scheme, bill, error)) << error;
        BalanceGap gap;
        ASSERT_TRUE(FindBalanceGap(10000, bill.rows, gap));
        EXPECT_EQ(gap.nLine, layout.newestFirst ? layout.firstLine - 2 : layout.firstLine + 2);
        EXPECT_EQ(gap.nStatement, 383743);
        EXPECT_EQ(gap.nRunning, 383734);
        EXPECT_EQ(BalanceGapText(gap, "招商银行(1234)"),
                  "第 " + std::to_string(gap.nLine) +
                      " 行（2024-03-02）的余额对不上：账单上是 3837.43，按账户“招商银行(1234)”"
                      "的记录算出来是 3837.34。");
        // A start the ledger does not share parts at the first line.
        ASSERT_TRUE(FindBalanceGap(0, bill.rows, gap));
        EXPECT_EQ(gap.nLine, layout.firstLine);
        EXPECT_EQ(gap.nRunning, 500000);
    }
}

// Two equal payments on a day of a statement without balances are two payments; the same
// line in an overlapping statement gets the same key.
TEST(BankKeyTest, EqualLinesStayApartAndOverlapsMeet) {
    CBankScheme scheme = GuessBankScheme({"日期", "金额", "摘要"});
    scheme.nAccount = 4;
    const std::string first = "日期,金额,摘要\n2024-03-01,-8.00,咖啡\n2024-03-01,-8.00,咖啡\n"
                              "2024-03-02,-3.00,地铁\n";
    const std::string second = "日期,金额,摘要\n2024-03-02,-3.00,地铁\n2024-03-03,-9.00,午饭\n";
    BillFile a, b;
    std::string error;
    ASSERT_TRUE(ReadBankStatement(first, "a.csv", scheme, a, error)) << error;
    ASSERT_TRUE(ReadBankStatement(second, "b.csv", scheme, b, error)) << error;
    EXPECT_NE(a.rows[0].strOrder, a.rows[1].strOrder);
    EXPECT_EQ(a.rows[2].strOrder, b.rows[0].strOrder);
    scheme.nAccount = 5; // another card's equal line is another line
    ASSERT_TRUE(ReadBankStatement(second, "b.csv", scheme, b, error)) << error;
    EXPECT_NE(a.rows[2].strOrder, b.rows[0].strOrder);
}

} // namespace
