#include "stats/StatisticsChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

const char* const kIncome = "收入";
const char* const kExpense = "支出";
const char* const kBalance = "结余";
const char* const kOthers = "其他";
const char* const kExpenseShares = "支出构成";
const char* const kIncomeShares = "收入构成";
const char* const kNoRecords = "（无记录）";
const char* const kMonths = "月份";

const QColor kIncomeColour(0x3a, 0x7b, 0xd5);
const QColor kExpenseColour(0xe8, 0x74, 0x3b);
const QColor kBalanceColour(0x40, 0x40, 0x40);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QChart* NewChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    return chart;
}

// Amounts on a value axis: its ticks fall on round amounts, and the labels show as many
// decimals as the ticks need, so no two read alike. A chart with no amounts shows none.
void ScaleAmounts(QValueAxis* axis, double dLow, double dHigh) {
    if (!(dHigh > dLow)) {
        axis->setRange(0, 1);
        axis->setLabelsVisible(false);
        return;
    }
    axis->setRange(dLow, dHigh);
    axis->applyNiceNumbers();
    const double dStep = (axis->max() - axis->min()) / std::max(1, axis->tickCount() - 1);
    int nDecimals = 0;
    for (double dScaled = dStep; nDecimals < 2 && std::abs(dScaled - std::round(dScaled)) > 1e-6;
         dScaled *= 10)
        ++nDecimals;
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(nDecimals));
}

} // namespace

CStatisticsChart::CStatisticsChart(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("图表"));
}

CStatisticsChart::~CStatisticsChart() = default;

std::vector<QChart*> CStatisticsChart::Charts() const {
    std::vector<QChart*> charts;
    for (QChartView* view : m_views)
        charts.push_back(view->chart());
    return charts;
}

void CStatisticsChart::Clear() {
    for (QChartView* view : m_views)
        delete view; // the view owns its chart
    m_views.clear();
}

QChartView* CStatisticsChart::AddView(QChart* chart) {
    auto* view = new QChartView(chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::NoFrame);
    m_views.push_back(view);
    // Placed and shown now, not when the event loop next runs: a grab of the window
    // (保存图表…) right after counting sees the new chart.
    PlaceViews();
    view->show();
    return view;
}

void CStatisticsChart::PlaceViews() {
    // Side by side, equally wide: a share chart needs the height for its labels.
    const int nCount = static_cast<int>(m_views.size());
    for (int n = 0; n < nCount; ++n) {
        const int nLeft = width() * n / nCount;
        m_views[static_cast<size_t>(n)]->setGeometry(nLeft, 0, width() * (n + 1) / nCount - nLeft,
                                                     height());
    }
}

void CStatisticsChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceViews();
}

void CStatisticsChart::Show(StatisticsGrouping grouping, const std::vector<StatisticsRow>& rows) {
    Clear();
    if (grouping == StatisticsGrouping::ByMonth)
        ShowMonths(rows);
    else
        ShowShares(rows);
}

void CStatisticsChart::ShowMonths(const std::vector<StatisticsRow>& rows) {
    auto* income = new QBarSet(kIncome);
    auto* expense = new QBarSet(kExpense);
    income->setColor(kIncomeColour);
    expense->setColor(kExpenseColour);
    auto* balance = new QLineSeries;
    balance->setName(kBalance);
    balance->setPen(QPen(kBalanceColour, 2));
    balance->setPointsVisible(true);
    // Months of one year read 1 … 12 under the bars; across years they keep the year
    // and stand upright.
    bool bOneYear = true;
    for (const StatisticsRow& row : rows)
        bOneYear = bOneYear && row.strGroup.substr(0, 4) == rows.front().strGroup.substr(0, 4);
    QStringList months;
    double dLow = 0, dHigh = 0;
    for (const StatisticsRow& row : rows) {
        const double dIncome = row.income.Value(), dExpense = row.expense.Value();
        const double dBalance = row.Balance().Value();
        balance->append(months.size(), dBalance);
        const bool bMonth = row.preset.has_value() && row.strGroup.size() == 7;
        months << (bOneYear && bMonth ? QString::number(std::stoi(row.strGroup.substr(5)))
                                      : Q(row.strGroup));
        *income << dIncome;
        *expense << dExpense;
        dLow = std::min({dLow, dBalance});
        dHigh = std::max({dHigh, dIncome, dExpense, dBalance});
    }
    auto* bars = new QBarSeries;
    bars->append(income);
    bars->append(expense);

    QChart* chart = NewChart(rows.empty() ? kNoRecords : QString());
    chart->addSeries(bars);
    chart->addSeries(balance);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(months);
    if (bOneYear)
        axisX->setTitleText(kMonths);
    else
        axisX->setLabelsAngle(-90);
    auto* axisY = new QValueAxis;
    ScaleAmounts(axisY, dLow, dHigh);
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(balance)}) {
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    AddView(chart);
}

std::vector<std::pair<std::string, double>>
CStatisticsChart::Shares(const std::vector<StatisticsRow>& rows, bool bIncome) {
    std::vector<std::pair<std::string, double>> shares;
    double dWhole = 0;
    for (const StatisticsRow& row : rows) {
        if (!(bIncome ? row.bIncome : row.bExpense))
            continue;
        const double dAmount = (bIncome ? row.income : row.expense).Value();
        if (dAmount <= 0)
            continue; // a share shows what came in or went out, not refunds
        shares.emplace_back(row.strGroup, dAmount);
        dWhole += dAmount;
    }
    std::stable_sort(shares.begin(), shares.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::pair<std::string, double>> kept, rest;
    for (auto& share : shares) {
        const bool bKeep = kept.size() + 1 < static_cast<size_t>(kMaxShares) &&
                           share.second >= kMinShare * dWhole && share.first != kOthers;
        (bKeep ? kept : rest).push_back(std::move(share));
    }
    // One group left over is shown as itself rather than as a 其他 of one.
    if (rest.size() == 1 && rest.front().first != kOthers) {
        kept.push_back(std::move(rest.front()));
    } else if (!rest.empty()) {
        double dRest = 0;
        for (const auto& share : rest)
            dRest += share.second;
        kept.emplace_back(kOthers, dRest);
    }
    shares = std::move(kept);
    return shares;
}

void CStatisticsChart::ShowShares(const std::vector<StatisticsRow>& rows) {
    for (bool bIncome : {false, true}) {
        const auto shares = Shares(rows, bIncome);
        double dWhole = 0;
        for (const auto& share : shares)
            dWhole += share.second;
        // Horizontal bars read with many groups where a pie's labels collide; the biggest
        // stands at the top, so the bars go in from the smallest.
        auto* amounts = new QBarSet(bIncome ? kIncome : kExpense);
        amounts->setColor(bIncome ? kIncomeColour : kExpenseColour);
        QStringList names;
        for (auto share = shares.rbegin(); share != shares.rend(); ++share) {
            *amounts << share->second;
            names << QStringLiteral("%1 %2%")
                         .arg(Q(share->first))
                         .arg(100.0 * share->second / dWhole, 0, 'f', 1);
        }
        auto* bars = new QHorizontalBarSeries;
        bars->append(amounts);
        bars->setBarWidth(0.6);
        const QString title = bIncome ? kIncomeShares : kExpenseShares;
        QChart* chart = NewChart(shares.empty() ? title + kNoRecords : title);
        chart->addSeries(bars);
        auto* axisY = new QBarCategoryAxis;
        axisY->append(names);
        // A name with its share is read whole; the bars give up the width it needs.
        axisY->setTruncateLabels(false);
        auto* axisX = new QValueAxis;
        axisX->setTickCount(3); // room for the widest amounts under a narrow chart
        ScaleAmounts(axisX, 0, shares.empty() ? 0 : shares.front().second);
        chart->addAxis(axisY, Qt::AlignLeft);
        chart->addAxis(axisX, Qt::AlignBottom);
        bars->attachAxis(axisY);
        bars->attachAxis(axisX);
        chart->legend()->hide();
        AddView(chart);
    }
}
