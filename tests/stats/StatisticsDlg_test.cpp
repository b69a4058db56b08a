#include "stats/StatisticsChart.h"
#include "stats/StatisticsDlg.h"
#include "tests/inquiry/InquiryFixture.h"

#include "platform/ui/ModalScript.h"

#include <QAbstractButton>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGroupBox>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>
#include <QRadioButton>

#include <set>

namespace {

using Texts = std::vector<std::string>;

class StatisticsDlgTest : public InquiryFixture {
protected:
    static std::vector<Texts> Table(CStatisticsDlg& dlg) {
        auto* list = dlg.Item<CReportCtrl>(CStatisticsDlg::IDC_RESULT);
        std::vector<Texts> rows;
        for (int row = 0; row < list->GetItemCount(); ++row) {
            rows.emplace_back();
            for (int column = 0; column < 4; ++column)
                rows.back().push_back(list->GetItemText(row, column));
        }
        return rows;
    }
    static bool Checked(CStatisticsDlg& dlg, int id) {
        return dlg.Item<QAbstractButton>(id)->isChecked();
    }
    static void Choose(CStatisticsDlg& dlg, int id) {
        dlg.Item<QAbstractButton>(id)->setChecked(true);
        dlg.ClickButton(id);
    }
    /// Double-clicks the cell as the mouse does: the notification carries its screen point.
    static void DoubleClick(CStatisticsDlg& dlg, int row, int column) {
        auto* list = dlg.Item<CReportCtrl>(CStatisticsDlg::IDC_RESULT);
        const QRect cell = list->visualRect(list->model()->index(row, column));
        dlg.SendNotify(CStatisticsDlg::IDC_RESULT, ui::Notification::DblClk, row,
                       list->viewport()->mapToGlobal(cell.center()));
    }
    static int RowOf(CStatisticsDlg& dlg, const std::string& group) {
        const auto table = Table(dlg);
        for (size_t row = 0; row < table.size(); ++row)
            if (table[row][0] == group)
                return static_cast<int>(row);
        return -1;
    }
    static double Number(const std::string& text) { return std::stod(text); }
    /// The labels and lengths of a share chart's bars, from the top.
    static std::vector<std::pair<std::string, double>> Bars(QChart* chart) {
        std::vector<std::pair<std::string, double>> result;
        auto* bars = qobject_cast<QHorizontalBarSeries*>(chart->series().at(0));
        auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).at(0));
        for (int n = axis->count() - 1; n >= 0; --n)
            result.emplace_back(axis->at(n).toStdString(), bars->barSets()[0]->at(n));
        return result;
    }
};

TEST_F(StatisticsDlgTest, OpensOnThisYearByMonthWithTheChartOfTheTable) {
    AddIncome(1, "爸爸", 100, "2010-01-01 00:00:00", "工资");
    AddIncome(2, "妈妈", 50.5, "2010-03-10 08:00:00", "奖金");
    AddPay(3, "孩子", 20, "2010-03-31 23:59:59", "教育");
    AddPay(4, "爸爸", 80.25, "2010-11-17 09:00:00", "餐饮");
    AddPay(5, "爸爸", 1000, "2009-12-31 23:59:59", "住房"); // last year
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.windowTitle().toStdString(), "收支统计");
    EXPECT_TRUE(Checked(dlg, CStatisticsDlg::IDC_THIS_YEAR));
    EXPECT_TRUE(Checked(dlg, CStatisticsDlg::IDC_BY_MONTH)); // two groups of radio buttons
    EXPECT_FALSE(dlg.GetDlgItem(CStatisticsDlg::IDC_FROM)->isEnabled());

    const std::vector<Texts> table = Table(dlg);
    ASSERT_EQ(table.size(), 13u);
    EXPECT_EQ(table[0], (Texts{"2010-01", "100.00", "0.00", "100.00"}));
    EXPECT_EQ(table[1], (Texts{"2010-02", "0.00", "0.00", "0.00"}));
    EXPECT_EQ(table[2], (Texts{"2010-03", "50.50", "20.00", "30.50"}));
    EXPECT_EQ(table[10], (Texts{"2010-11", "0.00", "80.25", "-80.25"}));
    EXPECT_EQ(table[12], (Texts{"合计", "150.50", "100.25", "50.25"}));

    // The chart: income and expense bars and the balance line, month by month as listed.
    const std::vector<QChart*> charts = dlg.GetChart().Charts();
    ASSERT_EQ(charts.size(), 1u);
    QBarSeries* bars = nullptr;
    QLineSeries* line = nullptr;
    for (QAbstractSeries* series : charts[0]->series()) {
        if (auto* b = qobject_cast<QBarSeries*>(series))
            bars = b;
        if (auto* l = qobject_cast<QLineSeries*>(series))
            line = l;
    }
    ASSERT_NE(bars, nullptr);
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(bars->count(), 2);
    EXPECT_EQ(bars->barSets()[0]->label().toStdString(), "收入");
    EXPECT_EQ(bars->barSets()[1]->label().toStdString(), "支出");
    ASSERT_EQ(line->count(), 12);
    for (int month = 0; month < 12; ++month) {
        EXPECT_DOUBLE_EQ(bars->barSets()[0]->at(month), Number(table[month][1])) << month;
        EXPECT_DOUBLE_EQ(bars->barSets()[1]->at(month), Number(table[month][2])) << month;
        EXPECT_DOUBLE_EQ(line->at(month).y(), Number(table[month][3])) << month;
    }
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(StatisticsDlgTest, CategoriesAndMembersAsSharesAndOneMembersMoney) {
    AddIncome(1, "爸爸", 300, "2010-05-01 10:00:00", "工资");
    AddIncome(2, "妈妈", 100, "2010-05-02 10:00:00", "奖金");
    AddPay(3, "爸爸", 60, "2010-05-03 10:00:00", "餐饮");
    AddPay(4, "妈妈", 40, "2010-05-04 10:00:00", "交通");
    AddPay(5, "妈妈", 25, "2010-05-05 10:00:00", "餐饮");
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());

    Choose(dlg, CStatisticsDlg::IDC_BY_CATEGORY);
    EXPECT_TRUE(Checked(dlg, CStatisticsDlg::IDC_THIS_YEAR)); // the period stays
    EXPECT_EQ(Table(dlg), (std::vector<Texts>{{"工资", "300.00", "0.00", "300.00"},
                                              {"奖金", "100.00", "0.00", "100.00"},
                                              {"餐饮", "0.00", "85.00", "-85.00"},
                                              {"交通", "0.00", "40.00", "-40.00"},
                                              {"合计", "400.00", "125.00", "275.00"}}));
    std::vector<QChart*> charts = dlg.GetChart().Charts();
    ASSERT_EQ(charts.size(), 2u);
    EXPECT_EQ(Bars(charts[0]), (std::vector<std::pair<std::string, double>>{{"餐饮 68.0%", 85.0},
                                                                            {"交通 32.0%", 40.0}}));
    EXPECT_EQ(Bars(charts[1]), (std::vector<std::pair<std::string, double>>{
                                   {"工资 75.0%", 300.0}, {"奖金 25.0%", 100.0}}));
    EXPECT_EQ(charts[0]->title().toStdString(), "支出构成");

    Choose(dlg, CStatisticsDlg::IDC_BY_MEMBER);
    EXPECT_EQ(Table(dlg), (std::vector<Texts>{{"爸爸", "300.00", "60.00", "240.00"},
                                              {"妈妈", "100.00", "65.00", "35.00"},
                                              {"合计", "400.00", "125.00", "275.00"}}));

    // 妈妈's money only.
    dlg.Item<QComboBox>(CStatisticsDlg::IDC_MEMBER)->setCurrentIndex(1);
    dlg.ClickButton(CStatisticsDlg::IDC_MEMBER_CHECK); // counts again at once
    Choose(dlg, CStatisticsDlg::IDC_BY_CATEGORY);
    EXPECT_EQ(Table(dlg), (std::vector<Texts>{{"奖金", "100.00", "0.00", "100.00"},
                                              {"交通", "0.00", "40.00", "-40.00"},
                                              {"餐饮", "0.00", "25.00", "-25.00"},
                                              {"合计", "100.00", "65.00", "35.00"}}));
}

TEST_F(StatisticsDlgTest, ManySmallSharesFoldIntoOthers) {
    // Twelve expense categories of 1000, 950, ... 450, and a crumb.
    for (int n = 0; n < 12; ++n)
        AddPay(n + 1, "爸爸", 1000 - 50 * n, "2010-06-01 10:00:00",
               ("类别" + std::to_string(n)).c_str());
    AddPay(20, "爸爸", 5, "2010-06-01 10:00:00", "其他"); // a category of that very name
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, CStatisticsDlg::IDC_BY_CATEGORY);
    std::vector<StatisticsRow> rows = dlg.GetRows();
    rows.pop_back(); // 合计
    const auto shares = CStatisticsChart::Shares(rows, false);
    ASSERT_EQ(shares.size(), static_cast<size_t>(CStatisticsChart::kMaxShares));
    double sum = 0;
    for (const auto& share : shares)
        sum += share.second;
    EXPECT_DOUBLE_EQ(sum, Number(dlg.GetRows().back().expense.Text()));
    EXPECT_EQ(shares.back().first, "其他");
    EXPECT_DOUBLE_EQ(shares.back().second, 650 + 600 + 550 + 500 + 450 + 5);
    EXPECT_EQ(shares.front(), (std::pair<std::string, double>{"类别0", 1000}));
    const auto bars = Bars(dlg.GetChart().Charts()[0]);
    ASSERT_EQ(bars.size(), shares.size());
    for (size_t n = 0; n < bars.size(); ++n)
        EXPECT_DOUBLE_EQ(bars[n].second, shares[n].second) << n;
    EXPECT_EQ(bars.back().first, "其他 31.6%"); // 2755 of 8705
    EXPECT_EQ(bars.front().first, "类别0 11.5%");
    EXPECT_TRUE(CStatisticsChart::Shares(rows, true).empty()); // no income
}

TEST_F(StatisticsDlgTest, ADoubleClickListsExactlyTheRecordsOfTheRow) {
    AddPay(1, "爸爸", 10.5, "2010-11-01 00:00:00", "餐饮"); // midnight on the 1st: November's
    AddPay(2, "妈妈", 20, "2010-11-30 23:59:59", "交通");
    AddPay(3, "妈妈", 40, "2010-12-01 00:00:00", "交通"); // December's
    AddIncome(4, "爸爸", 300, "2010-11-15 10:00:00", "工资");
    AddIncome(5, "妈妈", 70, "2010-10-31 23:59:59", "奖金");
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();

    struct Opened {
        int templateId;
        std::vector<std::string> ids;
        std::string totals;
    };
    std::vector<Opened> opened;
    ui::ModalScript script;
    const auto record = [&opened](ui::Dialog& inquiry) {
        auto& list = *inquiry.Item<CReportCtrl>(inquiry.TemplateId() == 136 ? 1050 : 1047);
        Opened entry{inquiry.TemplateId(), {}, inquiry.GetDlgItemText(CInquiryDlg::IDC_TOTALS)};
        for (int row = 0; row < list.GetItemCount(); ++row)
            entry.ids.push_back(list.GetItemText(row, 0));
        std::sort(entry.ids.begin(), entry.ids.end());
        opened.push_back(entry);
        return ui::IDCANCEL;
    };
    for (int n = 0; n < 5; ++n)
        script.Then(record);

    const int november = RowOf(dlg, "2010-11");
    ASSERT_EQ(Table(dlg)[static_cast<size_t>(november)],
              (Texts{"2010-11", "300.00", "30.50", "269.50"}));
    DoubleClick(dlg, november, 2); // 支出
    DoubleClick(dlg, november, 1); // 收入
    DoubleClick(dlg, november, 0); // the group: where the money went
    DoubleClick(dlg, RowOf(dlg, "合计"), 2);
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[0].templateId, 137);
    EXPECT_EQ(opened[0].ids, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(opened[0].totals, "共 2 条，合计 30.50 元");
    EXPECT_EQ(opened[1].templateId, 136);
    EXPECT_EQ(opened[1].totals, "共 1 条，合计 300.00 元");
    EXPECT_EQ(opened[2].templateId, 137);
    EXPECT_EQ(opened[3].totals, "共 3 条，合计 70.50 元"); // the year's expense

    // An income category opens the income inquiry on that category, whatever the column.
    Choose(dlg, CStatisticsDlg::IDC_BY_CATEGORY);
    DoubleClick(dlg, RowOf(dlg, "奖金"), 3);
    ASSERT_EQ(opened.size(), 5u);
    EXPECT_EQ(opened[4].templateId, 136);
    EXPECT_EQ(opened[4].ids, std::vector<std::string>{"5"});
    EXPECT_EQ(opened[4].totals, "共 1 条，合计 70.00 元");
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(StatisticsDlgTest, SortingByAHeadingKeepsTheTotalLast) {
    AddPay(1, "爸爸", 9.5, "2010-02-01 10:00:00", "餐饮");
    AddPay(2, "爸爸", 120, "2010-03-01 10:00:00", "交通");
    AddPay(3, "爸爸", 10, "2010-04-01 10:00:00", "购物");
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, CStatisticsDlg::IDC_BY_CATEGORY);
    auto* list = dlg.Item<CReportCtrl>(CStatisticsDlg::IDC_RESULT);
    list->columnClicked(2); // ascending, as numbers
    std::vector<Texts> table = Table(dlg);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0][0], "餐饮");
    EXPECT_EQ(table[1][0], "购物");
    EXPECT_EQ(table[2][0], "交通");
    EXPECT_EQ(table[3][0], "合计");
    list->columnClicked(2); // descending
    table = Table(dlg);
    EXPECT_EQ(table[0][0], "交通");
    EXPECT_EQ(table[3][0], "合计");
}

// The window as a user sees it on a 1280×800 screen: it fits, and no caption is cut off.
TEST_F(StatisticsDlgTest, EveryTextFitsItsControl) {
    AddPay(1, "爸爸", 123456.78, "2010-02-01 10:00:00", "其他支出");
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    EXPECT_LE(dlg.width(), 1280);
    EXPECT_LE(dlg.height(), 800);
    const QImage shot = dlg.grab().toImage();
    EXPECT_EQ(shot.size(), dlg.size());
    for (QWidget* child : dlg.findChildren<QWidget*>()) {
        QString text;
        int room = child->width();
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            text = button->text();
            if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child))
                room -= 20; // the indicator and its gap
            else
                room -= 8;
        } else if (auto* label = qobject_cast<QLabel*>(child)) {
            text = label->text();
        } else if (auto* box = qobject_cast<QGroupBox*>(child)) {
            text = box->title();
        } else {
            continue;
        }
        EXPECT_LE(child->fontMetrics().horizontalAdvance(text), room) << text.toStdString();
        EXPECT_TRUE(dlg.rect().contains(child->geometry())) << text.toStdString();
    }
    // The widest amount fits its column.
    auto* list = dlg.Item<CReportCtrl>(CStatisticsDlg::IDC_RESULT);
    for (int column = 1; column < 4; ++column)
        EXPECT_LE(list->fontMetrics().horizontalAdvance(QStringLiteral("-123456.78")) + 16,
                  list->GetColumnWidth(column));
    EXPECT_LE(list->fontMetrics().horizontalAdvance(QString::fromUtf8("（未填）")) + 16,
              list->GetColumnWidth(0));
}

// The amounts along a chart's value axis as it prints them; none when it shows none.
std::vector<QString> AmountLabels(QChart* chart) {
    std::vector<QString> labels;
    for (QAbstractAxis* axis : chart->axes()) {
        auto* values = qobject_cast<QValueAxis*>(axis);
        if (values == nullptr || !values->labelsVisible())
            continue;
        const int ticks = values->tickCount();
        for (int n = 0; n < ticks; ++n)
            labels.push_back(QString::asprintf(
                values->labelFormat().toLatin1().constData(),
                values->min() + (values->max() - values->min()) * n / std::max(1, ticks - 1)));
    }
    return labels;
}

TEST_F(StatisticsDlgTest, AnAxisNeverReadsTheSameAmountTwice) {
    const struct {
        const char* name;
        double amount; // one expense this month, or none
        int grouping;
    } cases[] = {
        {"no records by month", 0, CStatisticsDlg::IDC_BY_MONTH},
        {"no records by category", 0, CStatisticsDlg::IDC_BY_CATEGORY},
        {"small amounts by month", 0.5, CStatisticsDlg::IDC_BY_MONTH},
        {"small amounts by member", 2.5, CStatisticsDlg::IDC_BY_MEMBER},
        {"large amounts", 123456, CStatisticsDlg::IDC_BY_MONTH},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_db.Exec("delete from normalPay");
        m_db.Exec("delete from normalIncome");
        if (c.amount > 0)
            AddPay(1, "爸爸", c.amount, "2010-11-02 08:00:00", "餐饮");
        CStatisticsDlg dlg;
        ASSERT_TRUE(dlg.Create());
        Choose(dlg, c.grouping);
        for (QChart* chart : dlg.GetChart().Charts()) {
            const std::vector<QString> labels = AmountLabels(chart);
            std::set<QString> distinct(labels.begin(), labels.end());
            EXPECT_EQ(distinct.size(), labels.size()) << QStringList(labels.begin(), labels.end())
                                                             .join(QLatin1Char(','))
                                                             .toStdString();
        }
    }
}

} // namespace
