#pragma once

#include "accounts/Account.h"
#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <QPen>

#include <vector>

class CReportCtrl;
class QChartView;

/// 账户余额: every account with its balance now, 资产, 负债 and 净资产, and a chart of
/// 净资产 and of each account's balance at each month's end. A double-click (or 明细…)
/// opens the account's history.
class CBalancesDlg : public ui::Dialog {
public:
    enum { IDD = 232 };
    enum ControlId {
        IDC_LIST = 2341,
        IDC_TOTALS = 2342,
        IDC_CHART = 2343,
        IDC_HISTORY = 2344,
        IDC_TRANSFER = 2345,
    };
    /// The chart covers at most this many months back from now.
    static constexpr int kChartMonths = 120;

    explicit CBalancesDlg(QWidget* parent = nullptr);
    ~CBalancesDlg() override;

    QChartView* Chart() const { return m_chart; }
    /// The pen of the chart's line `nLine`: −1 for 净资产, then 0, 1, … for the accounts.
    /// Every line looks different from every other.
    static QPen LinePen(int nLine);

protected:
    bool OnInitDialog() override;
    void OnHistory();
    void OnTransfer();

private:
    void Reload();
    void DrawChart();

    CADODatabase m_db;
    CReportCtrl* m_listBalances;
    QChartView* m_chart;
    std::vector<CAccount> m_accounts;
};
