#pragma once

#include "stats/StatisticsQuery.h"

#include <QWidget>

#include <string>
#include <utility>
#include <vector>

class QChart;
class QChartView;

/// The chart beside the statistics table. For months: income and expense bars per month
/// with the balance as a line. For categories and members: the shares of expense and of
/// income as horizontal bars, one chart beside the other, the small shares folded into
/// "其他" so that many groups stay readable.
class CStatisticsChart : public QWidget {
    Q_OBJECT
public:
    /// A share chart shows at most this many bars, and none below this share.
    static constexpr int kMaxShares = 8;
    static constexpr double kMinShare = 0.03;

    explicit CStatisticsChart(QWidget* parent = nullptr);
    ~CStatisticsChart() override;

    /// Draws the groups of the table (without its 合计 row).
    void Show(StatisticsGrouping grouping, const std::vector<StatisticsRow>& rows);
    /// The charts drawn: one for months, two (expense, then income) otherwise.
    std::vector<QChart*> Charts() const;

    /// The bars of one share chart: the groups' amounts of that side, biggest first; those past
    /// kMaxShares − 1 or below kMinShare of the whole are one last "其他" share.
    static std::vector<std::pair<std::string, double>>
    Shares(const std::vector<StatisticsRow>& rows, bool bIncome);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceViews();
    void ShowMonths(const std::vector<StatisticsRow>& rows);
    void ShowShares(const std::vector<StatisticsRow>& rows);
    QChartView* AddView(QChart* chart);
    void Clear();

    std::vector<QChartView*> m_views;
};
