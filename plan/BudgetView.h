#pragma once

#include <QWidget>

#include <vector>

class CADODatabase;
class CReportCtrl;
struct BudgetRow;

namespace ui {
class DateTimePicker;
}

/// 预算执行 in the statistics window: for one month (this one at first), each budgeted
/// category's 预算, 已支出 and 剩余 with a bar of the share used, red when over, and 合计.
class CBudgetView : public QWidget {
    Q_OBJECT
public:
    CBudgetView(QWidget* parent, CADODatabase& db);

    /// Shows the month of `month`.
    void ShowMonth(const QDate& month);
    /// The cells as shown: 支出项目, 预算, 已支出, 剩余, 使用.
    std::vector<std::vector<std::string>> Cells() const;
    CReportCtrl* List() const { return m_listBudget; }

private:
    CADODatabase& m_db;
    ui::DateTimePicker* m_dtMonth;
    CReportCtrl* m_listBudget;
};
