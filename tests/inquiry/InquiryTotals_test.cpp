#include "inquiry/AmountTotal.h"
#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "tests/inquiry/InquiryFixture.h"

#include "data/FormatDateTime.h"
#include "platform/ui/ModalScript.h"
#include "platform/ui/PopupScript.h"

#include <QLineEdit>

namespace {

using Row = std::vector<std::string>;

std::string Totals(CInquiryDlg& dlg) {
    return dlg.GetDlgItemText(CInquiryDlg::IDC_TOTALS);
}

TEST(AmountTotalTest, PrintsTheSumToTheCent) {
    struct Case {
        const char* name;
        std::vector<double> amounts;
        int repeat;
        const char* text;
    };
    const Case cases[] = {
        {"nothing", {}, 1, "0.00"},
        {"ten thousand dimes", {0.10}, 10000, "1000.00"},
        {"a million cents", {0.01}, 1000000, "10000.00"},
        {"whole amounts", {1500, 12, 7}, 1, "1519.00"},
        {"one decimal", {3.14, 0.05}, 1, "3.19"},
        {"thirds of a cent add up", {0.003333}, 3, "0.01"},
        {"negative", {-12.3}, 1, "-12.30"},
        {"below a cent, negative", {-0.004}, 1, "0.00"},
        {"mixed signs", {100.1, -0.2}, 3, "299.70"},
        {"halves of a cent, both signs", {0.125, -0.375, 0.625, -0.005}, 1, "0.37"},
        {"beyond 2^52 cents", {1e14, 0.01, -2.5}, 1, "99999999999997.51"},
    };
    for (const Case& c : cases) {
        CAmountTotal total;
        for (int n = 0; n < c.repeat; ++n)
            for (double amount : c.amounts)
                total.Add(amount);
        EXPECT_EQ(total.Text(), c.text) << c.name;
    }
}

TEST(AmountTotalTest, SubtractingAndPartsAgreeWithAdding) {
    CAmountTotal total;
    for (int n = 0; n < 1000; ++n)
        total.Add(0.07);
    total.Subtract(0.07);
    EXPECT_EQ(total.Text(), "69.93");
    // As a grouped statement returns it: SUM(ROUND(a * 100)) and the rests.
    EXPECT_EQ(CAmountTotal::FromParts(6993, 999 * (0.07 * 100 - 7)).Text(), "69.93");
    CAmountTotal balance = CAmountTotal::FromParts(1000, 0);
    balance -= total;
    EXPECT_EQ(balance.Text(), "-59.93");
    EXPECT_FALSE(balance.IsZero());
    balance += total;
    EXPECT_EQ(balance.Text(), "10.00");
    EXPECT_DOUBLE_EQ(balance.Value(), 10.0);
}

class InquiryTotalsTest : public InquiryFixture {};

TEST_F(InquiryTotalsTest, EmptyUntilTheFirstListingThenCountAndStoredSum) {
    AddIncome(1, "爸爸", 3.14, "2010-11-17 09:30:00", "工资");
    AddIncome(2, "妈妈", 0.05, "2010-11-16 10:00:00", "奖金");
    AddIncome(3, "妈妈", 1500, "2010-03-01 10:00:00", "工资");
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(Totals(dlg), "");

    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    // The cells read 3.1 and 0.1; the line adds what is stored.
    EXPECT_EQ(Totals(dlg), "共 2 条，合计 3.19 元");
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    EXPECT_EQ(Totals(dlg), "共 3 条，合计 1503.19 元");
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR); // again: rows never accumulate
    EXPECT_EQ(Totals(dlg), "共 3 条，合计 1503.19 元");
    SetInterval(dlg, COleDateTime(2011, 1, 1, 0, 0, 0), COleDateTime(2010, 1, 1, 0, 0, 0));
    dlg.ClickButton(CInquiryDlg::IDC_INTERVAL_QUERY);
    EXPECT_EQ(Totals(dlg), "共 0 条，合计 0.00 元");

    // The line sits left of 关闭 in the space below the boxes.
    const QRect line = dlg.GetDlgItem(CInquiryDlg::IDC_TOTALS)->geometry();
    const QRect close = dlg.GetDlgItem(ui::IDOK)->geometry();
    EXPECT_LT(line.right(), close.left());
    EXPECT_LE(line.bottom(), dlg.height());
}

TEST_F(InquiryTotalsTest, TenThousandDimesMakeExactlyAThousand) {
    m_db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
              "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) "
              "SELECT '爸爸', 0.1, '2010-06-01 12:00:00', '餐饮' FROM n");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    EXPECT_EQ(Totals(dlg), "共 10000 条，合计 1000.00 元");
}

TEST_F(InquiryTotalsTest, FollowsEditsAndDeletionsButNotSorting) {
    AddPay(1, "爸爸", 10.25, "2010-11-17 07:00:00", "餐饮");
    AddPay(2, "妈妈", 20, "2010-11-17 08:00:00", "交通");
    AddPay(3, "孩子", 30, "2010-11-17 09:00:00", "教育");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    ASSERT_EQ(Totals(dlg), "共 3 条，合计 60.25 元");

    for (int column : {1, 1, 0, 3}) {
        dlg.Item<CReportCtrl>(1047)->columnClicked(column);
        EXPECT_EQ(Totals(dlg), "共 3 条，合计 60.25 元") << column;
    }

    // Record 2 becomes 88: the line drops its 20 and adds 88.
    int row = -1;
    for (int n = 0; n < 3; ++n)
        if (List(dlg).GetItemText(n, 0) == "2")
            row = n;
    List(dlg).SetSelected(row, true);
    ui::ModalScript editors;
    editors.Then([](ui::Dialog& editor) {
        editor.Item<QLineEdit>(1026)->setText("88");
        editor.ClickButton(1061);
        return ui::IDCANCEL;
    });
    dlg.SendNotify(1047, ui::Notification::DblClk, row);
    ASSERT_EQ(editors.Runs().size(), 1u);
    EXPECT_EQ(Totals(dlg), "共 3 条，合计 128.25 元");

    // A cancelled edit changes nothing.
    editors.Then([](ui::Dialog&) { return ui::IDCANCEL; });
    dlg.SendNotify(1047, ui::Notification::DblClk, row);
    EXPECT_EQ(Totals(dlg), "共 3 条，合计 128.25 元");

    // Deleting record 1 through the row menu takes its 10.25 away.
    for (int n = 0; n < 3; ++n)
        List(dlg).SetSelected(n, List(dlg).GetItemText(n, 0) == "1");
    ui::PopupScript popups;
    popups.Choose(32810);
    dlg.SendNotify(1047, ui::Notification::RClick, 0);
    EXPECT_EQ(Rows(dlg).size(), 2u);
    EXPECT_EQ(Totals(dlg), "共 2 条，合计 118.00 元");
    EXPECT_TRUE(m_messages.Texts().empty());
}

class InquiryPresetTest : public InquiryFixture {
protected:
    InquiryPresetTest() {
        AddIncome(1, "爸爸", 100, "2010-10-31 23:59:59", "工资");  // the day before
        AddIncome(2, "爸爸", 200, "2010-11-01 00:00:00", "工资");  // midnight, first day: in
        AddIncome(3, "妈妈", 300, "2010-11-30 23:59:59", "奖金");  // last second: in
        AddIncome(4, "妈妈", 400, "2010-12-01 00:00:00", "工资");  // the next start: out
        AddIncome(5, "", 50, "2010-11-15 12:00:00", "");           // no member, no category
        AddIncome(6, "O'Neil", 60, "2010-11-15 12:00:00", "工资"); // not in the member list
        m_db.Exec("INSERT INTO normalIncome (编号, 收入人员, 收入金额, 收入日期, 收入项目) "
                  "VALUES (7, NULL, 70, '2010-11-16 12:00:00', NULL)");
        m_db.Exec("INSERT INTO normalIncome (编号, 收入人员, 收入金额, 收入日期, 收入项目) "
                  "VALUES (8, '爸爸', 80, NULL, '工资')");
    }

    static InquiryPreset November() {
        InquiryPreset preset;
        preset.bSpan = true;
        preset.dtLower = COleDateTime(2010, 11, 1, 0, 0, 0);
        preset.dtUpper = COleDateTime(2010, 12, 1, 0, 0, 0);
        return preset;
    }
};

TEST_F(InquiryPresetTest, ListsTheHalfOpenSpanWithItsConditions) {
    struct Case {
        const char* name;
        InquiryPreset preset;
        std::vector<std::string> ids;
        const char* totals;
    };
    InquiryPreset dad = November();
    dad.member = "爸爸";
    InquiryPreset nobody = November();
    nobody.member = "";
    InquiryPreset noItem = November();
    noItem.item = "";
    InquiryPreset quoted = November();
    quoted.member = "O'Neil";
    quoted.item = "工资";
    InquiryPreset everything;
    InquiryPreset everyWage;
    everyWage.item = "工资";
    const Case cases[] = {
        {"the month", November(), {"2", "3", "5", "6", "7"}, "共 5 条，合计 680.00 元"},
        {"one member", dad, {"2"}, "共 1 条，合计 200.00 元"},
        {"empty or missing member", nobody, {"5", "7"}, "共 2 条，合计 120.00 元"},
        {"empty or missing category", noItem, {"5", "7"}, "共 2 条，合计 120.00 元"},
        {"an apostrophe", quoted, {"6"}, "共 1 条，合计 60.00 元"},
        {"no span: undated too",
         everything,
         {"1", "2", "3", "4", "5", "6", "7", "8"},
         "共 8 条，合计 1260.00 元"},
        {"no span, one category", everyWage, {"1", "2", "4", "6", "8"}, "共 5 条，合计 840.00 元"},
    };
    for (const Case& c : cases) {
        CIncomeInquiryDlg dlg;
        dlg.SetPreset(c.preset);
        ASSERT_TRUE(dlg.Create()) << c.name;
        EXPECT_EQ(Ids(dlg), c.ids) << c.name;
        EXPECT_EQ(Totals(dlg), c.totals) << c.name;
    }
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryPresetTest, ShowsItsSpanAndConditionsAndLeavesTheButtonsAsTheyWere) {
    InquiryPreset preset = November();
    preset.member = "妈";
    CIncomeInquiryDlg dlg;
    dlg.SetPreset(preset);
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(Rows(dlg).empty()); // exactly 妈, not the 妈妈 the combo would pick
    EXPECT_EQ(Totals(dlg), "共 0 条，合计 0.00 元");
    EXPECT_EQ(
        FormatDateTime(dlg.Item<ui::DateTimePicker>(CInquiryDlg::IDC_FROM)->GetTime(), "%Y-%m-%d"),
        "2010-11-01");
    EXPECT_EQ(
        FormatDateTime(dlg.Item<ui::DateTimePicker>(CInquiryDlg::IDC_TO)->GetTime(), "%Y-%m-%d"),
        "2010-11-30");
    EXPECT_TRUE(dlg.Item<QCheckBox>(CInquiryDlg::IDC_MEMBER_CHECK)->isChecked());
    EXPECT_FALSE(dlg.Item<QCheckBox>(CInquiryDlg::IDC_ITEM_CHECK)->isChecked());
    EXPECT_EQ(dlg.Item<QComboBox>(CInquiryDlg::IDC_MEMBER)->currentText().toStdString(), "妈");

    // 本月 keeps its strict lower bound: the record at midnight on the first is not listed.
    SetMember(dlg, false, "");
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(Ids(dlg), (std::vector<std::string>{"3", "5", "6", "7"}));
    EXPECT_EQ(Totals(dlg), "共 4 条，合计 480.00 元");
}

TEST(InquiryPresetStatement, TextsForBothTwins) {
    InquiryPreset preset;
    preset.bSpan = true;
    preset.dtLower = COleDateTime(2010, 1, 1, 0, 0, 0);
    preset.dtUpper = COleDateTime(2011, 1, 1, 0, 0, 0);
    preset.member = "";
    preset.item = "餐'饮";
    EXPECT_EQ(CInquiryQuery::BuildPresetStatement(kPayInquiry, preset),
              "select * from normalPay where 支出日期 >= #2010-01-01# and 支出日期 < #2011-01-01# "
              "and (支出人员 is null or 支出人员 = '') and 支出项目 = '餐''饮'");
    EXPECT_EQ(CInquiryQuery::BuildPresetStatement(kIncomeInquiry, InquiryPreset{}),
              "select * from normalIncome");
    InquiryPreset member;
    member.member = "爸爸";
    EXPECT_EQ(CInquiryQuery::BuildPresetStatement(kIncomeInquiry, member),
              "select * from normalIncome where 收入人员 = '爸爸'");
}

} // namespace
