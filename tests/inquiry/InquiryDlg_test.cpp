#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "tests/inquiry/InquiryFixture.h"

#include "data/FormatDateTime.h"

#include <QFontMetrics>

#include <filesystem>

namespace {

using Row = std::vector<std::string>;
using IdList = std::vector<std::string>;

class InquiryDlgTest : public InquiryFixture {};

TEST_F(InquiryDlgTest, InitialisationFillsCombosColumnsAndDates) {
    m_db.Exec("INSERT INTO 家庭成员 (类型) VALUES ('阿姨')");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.windowTitle().toStdString(), "支出查询");

    auto* member = dlg.Item<QComboBox>(CInquiryDlg::IDC_MEMBER);
    auto* item = dlg.Item<QComboBox>(CInquiryDlg::IDC_ITEM);
    ASSERT_EQ(member->count(), 4);
    EXPECT_EQ(member->itemText(3).toStdString(), "阿姨"); // table order, not sorted
    EXPECT_EQ(member->currentText().toStdString(), "爸爸");
    ASSERT_EQ(item->count(), 7);
    EXPECT_EQ(item->currentText().toStdString(), "餐饮");
    EXPECT_FALSE(dlg.Item<QCheckBox>(CInquiryDlg::IDC_MEMBER_CHECK)->isChecked());
    EXPECT_FALSE(dlg.Item<QCheckBox>(CInquiryDlg::IDC_ITEM_CHECK)->isChecked());
    EXPECT_EQ(dlg.Item<QCheckBox>(CInquiryDlg::IDC_ITEM_CHECK)->text().toStdString(), "支出类型");

    EXPECT_EQ(FormatDateTime(dlg.Item<ui::DateTimePicker>(CInquiryDlg::IDC_FROM)->GetTime(),
                             "%Y-%m-%d %H:%M:%S"),
              "2010-11-01 00:00:00");
    EXPECT_EQ(FormatDateTime(dlg.Item<ui::DateTimePicker>(CInquiryDlg::IDC_TO)->GetTime(), "%Y-%m-%d"),
              "2010-11-17");

    CReportCtrl& list = List(dlg);
    const char* headings[] = {"编号", "金额", "支出人员", "支出日期", "支出项目", "账户", "凭证"};
    const int widths[] = {50, 70, 100, 100, 100, 80, 40}; // at 宋体 9 pt, 6 pixels a character
    const double scale = list.GetColumnWidth(2) / 100.0;
    EXPECT_GE(scale, 1.0);
    ASSERT_EQ(list.GetColumnCount(), 7);
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(list.GetListModel()->ColumnHeading(column), headings[column]);
        EXPECT_NEAR(list.GetColumnWidth(column), widths[column] * scale, 1.0);
        EXPECT_EQ(list.GetListModel()->ColumnFormat(column), ui::LVCFMT_LEFT);
    }
    // The widest date cell fits its column, whatever font stands in for 宋体.
    EXPECT_LE(QFontMetrics(list.font()).horizontalAdvance(QString::fromUtf8("2010-11-17 09时")) + 16,
              list.GetColumnWidth(3));
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryDlgTest, IncomeRowsOfTheQuickRanges) {
    AddIncome(7, "爸爸", 1500, "2010-11-17 09:30:00", "工资");
    AddIncome(8, "妈妈", 12, "2010-11-17 00:00:00", "奖金");   // on the lower bound: never listed by 今天
    AddIncome(9, "孩子", 3.14, "2010-11-14 20:00:00", "其他收入"); // this Sunday
    AddIncome(10, "爸爸", 99.96, "2010-11-01 00:00:00", "工资");   // first of the month, midnight
    AddIncome(11, "爸爸", 5, "2010-11-02 00:00:01", "工资");
    AddIncome(12, "妈妈", 6, "2010-02-03 04:05:06", "理财收益");
    AddIncome(13, "妈妈", 7, "2010-11-18 00:00:00", "工资");   // on today's upper bound
    AddIncome(14, "妈妈", 8, "2009-12-31 23:59:59", "工资");
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());

    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    EXPECT_EQ(Rows(dlg), (std::vector<Row>{{"7", "1500.0", "爸爸", "2010-11-17 09时", "工资"}}));

    dlg.ClickButton(CInquiryDlg::IDC_THIS_WEEK);
    EXPECT_EQ(Ids(dlg), (IdList{"7", "8", "9", "13"}));
    EXPECT_EQ(RowOf(dlg, "8")[1], "12.0");
    EXPECT_EQ(RowOf(dlg, "9")[1], "3.1");

    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(Ids(dlg), (IdList{"7", "8", "9", "11", "13"}));
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH); // no rows added to the last ones
    EXPECT_EQ(Ids(dlg), (IdList{"7", "8", "9", "11", "13"}));

    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    EXPECT_EQ(Ids(dlg), (IdList{"7", "8", "9", "10", "11", "12", "13"}));
    EXPECT_EQ(RowOf(dlg, "10"), (Row{"10", "100.0", "爸爸", "2010-11-01 00时", "工资"}));
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryDlgTest, ExpenseDateCellsShowTheHourWithout时ExceptForTheYear) {
    AddPay(3, "妈妈", 25.5, "2010-11-17 09:30:00", "餐饮");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const struct {
        int button;
        const char* cell;
    } presses[] = {
        {CInquiryDlg::IDC_TODAY, "2010-11-17 09"},
        {CInquiryDlg::IDC_THIS_WEEK, "2010-11-17 09"},
        {CInquiryDlg::IDC_THIS_MONTH, "2010-11-17 09"},
        {CInquiryDlg::IDC_INTERVAL_QUERY, "2010-11-17 09"},
        {CInquiryDlg::IDC_THIS_YEAR, "2010-11-17 09时"},
    };
    for (const auto& press : presses) {
        dlg.ClickButton(press.button);
        EXPECT_EQ(Rows(dlg), (std::vector<Row>{{"3", "25.5", "妈妈", press.cell, "餐饮"}}))
            << press.button;
    }
}

TEST_F(InquiryDlgTest, IntervalIncludesTheUpperMidnightForIncomeOnly) {
    AddIncome(1, "爸爸", 1, "2010-11-18 00:00:00", "工资");
    AddIncome(2, "爸爸", 2, "2010-11-01 00:00:00", "工资");
    AddIncome(3, "爸爸", 3, "2010-11-01 00:00:01", "工资");
    AddPay(1, "爸爸", 1, "2010-11-18 00:00:00", "餐饮");
    AddPay(2, "爸爸", 2, "2010-11-01 00:00:00", "餐饮");
    AddPay(3, "爸爸", 3, "2010-11-17 23:59:59", "餐饮");

    CIncomeInquiryDlg income;
    ASSERT_TRUE(income.Create());
    income.ClickButton(CInquiryDlg::IDC_INTERVAL_QUERY); // 从 2010-11-01, 到 2010-11-17
    EXPECT_EQ(Ids(income), (IdList{"1", "3"}));

    CPayInquiryDlg pay;
    ASSERT_TRUE(pay.Create());
    pay.ClickButton(CInquiryDlg::IDC_INTERVAL_QUERY);
    EXPECT_EQ(Ids(pay), (IdList{"3"}));

    // 从 after 到: nothing, and no message.
    SetInterval(pay, COleDateTime(2010, 11, 20, 0, 0, 0), COleDateTime(2010, 11, 10, 0, 0, 0));
    pay.ClickButton(CInquiryDlg::IDC_INTERVAL_QUERY);
    EXPECT_TRUE(Ids(pay).empty());
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryDlgTest, ConditionsNarrowEveryQuery) {
    AddPay(1, "爸爸", 1, "2010-11-17 10:00:00", "餐饮");
    AddPay(2, "妈妈", 2, "2010-11-17 11:00:00", "餐饮");
    AddPay(3, "妈妈", 3, "2010-11-17 12:00:00", "交通");
    AddPay(4, "外婆", 4, "2010-11-17 13:00:00", "交通");
    AddPay(5, "O'Brien", 5, "2010-11-17 14:00:00", "it's");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const struct {
        bool memberOn;
        const char* member;
        bool itemOn;
        const char* item;
        IdList ids;
    } cases[] = {
        {false, "妈妈", false, "交通", {"1", "2", "3", "4", "5"}}, // clear boxes: ignored
        {true, "妈妈", false, "交通", {"2", "3"}},
        {false, "妈妈", true, "交通", {"3", "4"}},
        {true, "妈妈", true, "交通", {"3"}},
        {true, "", true, "", {"1", "2", "3", "4", "5"}}, // set but empty: nothing added
        {true, "外婆", false, "", {"4"}},                 // typed, not among the entries
        {true, "O'Brien", true, "it's", {"5"}},           // an apostrophe is just a letter
    };
    for (const auto& c : cases) {
        SetMember(dlg, c.memberOn, c.member);
        SetItem(dlg, c.itemOn, c.item);
        dlg.ClickButton(CInquiryDlg::IDC_TODAY);
        EXPECT_EQ(Ids(dlg), c.ids) << c.member << " / " << c.item;
    }
    SetMember(dlg, true, "妈妈");
    SetItem(dlg, false, "");
    for (int button : {CInquiryDlg::IDC_THIS_WEEK, CInquiryDlg::IDC_THIS_MONTH,
                       CInquiryDlg::IDC_THIS_YEAR, CInquiryDlg::IDC_INTERVAL_QUERY}) {
        dlg.ClickButton(button);
        EXPECT_EQ(Ids(dlg), (IdList{"2", "3"})) << button;
    }
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryDlgTest, MissingListTableIsReportedOnceAndTheDialogStillWorks) {
    AddIncome(7, "爸爸", 1500, "2010-11-17 09:30:00", "工资");
    m_db.Exec("DROP TABLE 家庭成员");
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(m_messages.Take().size(), 1u);
    EXPECT_EQ(dlg.Item<QComboBox>(CInquiryDlg::IDC_MEMBER)->count(), 0);
    EXPECT_EQ(dlg.Item<QComboBox>(CInquiryDlg::IDC_ITEM)->count(), 4);
    EXPECT_EQ(List(dlg).GetColumnCount(), 7);
    EXPECT_EQ(FormatDateTime(dlg.Item<ui::DateTimePicker>(CInquiryDlg::IDC_FROM)->GetTime(), "%Y-%m-%d"),
              "2010-11-01");
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    EXPECT_EQ(Ids(dlg), (IdList{"7"}));
}

// Each query tries the file again and says why it cannot.
TEST_F(InquiryDlgTest, WithoutTheDataFileQueriesSayWhyAndEmptyTheList) {
    COFFER_FILE_LEDGER_ONLY();
    std::filesystem::remove(m_db.FilePath());
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    m_messages.Take(); // the connection's own report
    EXPECT_EQ(dlg.Item<QComboBox>(CInquiryDlg::IDC_MEMBER)->count(), 0);
    EXPECT_EQ(List(dlg).GetColumnCount(), 7);
    for (int button : {CInquiryDlg::IDC_TODAY, CInquiryDlg::IDC_THIS_WEEK, CInquiryDlg::IDC_THIS_MONTH,
                       CInquiryDlg::IDC_THIS_YEAR, CInquiryDlg::IDC_INTERVAL_QUERY}) {
        dlg.ClickButton(button);
        const auto shown = m_messages.Take();
        ASSERT_EQ(shown.size(), 1u) << button;
        EXPECT_NE(shown[0].find("找不到账本文件"), std::string::npos) << shown[0];
    }
    EXPECT_EQ(List(dlg).GetItemCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(m_db.FilePath())); // never created
}

TEST_F(InquiryDlgTest, CloseWritesNothing) {
    AddIncome(7, "爸爸", 1500, "2010-11-17 09:30:00", "工资");
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    const auto before = m_db.Query("SELECT * FROM normalIncome");
    dlg.ClickButton(ui::IDOK);
    EXPECT_EQ(dlg.result(), ui::IDOK);
    EXPECT_EQ(m_db.Query("SELECT * FROM normalIncome"), before);
}

} // namespace
