#pragma once

#include "data/ADODatabase.h"
#include "platform/ole/OleDateTime.h"
#include "platform/ui/Dialog.h"
#include "stats/StatisticsQuery.h"

#include <functional>
#include <string>
#include <vector>

class CReportCtrl;
class CStatisticsChart;
class QComboBox;

/// 收支统计: how much came in and went out in a period, per month, per category or per
/// member, as a table with a 合计 row and a chart beside it. A double-click on a row opens
/// the income or expense inquiry listing exactly the records that row counted.
class CStatisticsDlg : public ui::Dialog {
public:
    enum { IDD = 140 };
    enum ControlId {
        IDC_THIS_MONTH = 1101, // the period's radio buttons, in StatisticsPeriod order
        IDC_THIS_YEAR = 1102,
        IDC_ALL = 1103,
        IDC_INTERVAL = 1104,
        IDC_FROM = 1054,
        IDC_TO = 1055,
        IDC_BY_MONTH = 1111, // the grouping's, in StatisticsGrouping order
        IDC_BY_CATEGORY = 1112,
        IDC_BY_MEMBER = 1113,
        IDC_BY_ACCOUNT = 1114,
        IDC_MEMBER_CHECK = 1052,
        IDC_MEMBER = 1018,
        IDC_COUNT = 1042,
        IDC_RESULT = 1120,
        IDC_CHART = 1121,
        IDC_SAVE_CHART = 1122,
        IDC_EXPORT = 1123,
        IDC_BUDGET = 1124,
    };

    /// Builds the 预算执行 view over the table and chart; the budgets sit above this
    /// window and hand it in at start-up. Without one the button is hidden.
    using ViewFactory = std::function<QWidget*(QWidget* parent, CADODatabase& db)>;
    static void SetBudgetView(ViewFactory factory);

    explicit CStatisticsDlg(QWidget* parent = nullptr);
    ~CStatisticsDlg() override;

    /// The rows shown, 合计 last, in the order of the query (not of a sort).
    const std::vector<StatisticsRow>& GetRows() const { return m_rows; }
    CStatisticsChart& GetChart() const { return *m_chart; }
    /// The 预算执行 view while it is shown, else null.
    QWidget* GetBudgetView() const { return m_budgetView; }

    /// The cells of a row as the table shows them: 分组, 收入, 支出, 结余.
    static std::vector<std::string> Cells(const StatisticsRow& row);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    void OnCount();
    void OnResultDblClk(ui::NotifyInfo& info);
    void OnResultColumnClick(ui::NotifyInfo& info);
    void OnSaveChart();
    void OnExport();
    void OnBudget();

    CADODatabase m_db;
    CReportCtrl* m_listResult;
    CStatisticsChart* m_chart;
    QComboBox* m_cbMember = nullptr;
    int m_nPeriod = 1; // 今年
    int m_nGrouping = 0;
    COleDateTime m_dtFrom;
    COleDateTime m_dtTo;
    int m_bMember = 0;
    std::string m_strMember;

private:
    void FillMembers();
    void KeepTotalLast();
    void EnableTableControls(bool bEnable);
    const StatisticsRow* RowOfItem(int nItem) const;

    std::vector<StatisticsRow> m_rows;
    QWidget* m_budgetView = nullptr;
};
