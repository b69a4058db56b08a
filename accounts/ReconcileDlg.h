#pragma once

#include "accounts/Reconciliation.h"
#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <memory>

class CReportCtrl;

/// 对账: the statement's date and ending balance; 列出 lists the unreconciled records and
/// transfers up to that date with check boxes; the difference follows the ticks; 完成
/// marks them when it is 0; 调整… books an accepted difference as a visible adjustment.
/// The opener sets m_nAccountId.
class CReconcileDlg : public ui::Dialog {
public:
    enum { IDD = 234 };
    enum ControlId {
        IDC_DATE = 2381,
        IDC_BALANCE = 2382,
        IDC_LIST_ITEMS = 2383,
        IDC_ITEMS = 2384,
        IDC_DIFFERENCE = 2385,
        IDC_FINISH = 2386,
        IDC_ADJUST = 2387,
    };

    explicit CReconcileDlg(QWidget* parent = nullptr);
    ~CReconcileDlg() override;

    std::int64_t m_nAccountId = 0;

protected:
    bool OnInitDialog() override;
    void OnList();
    void OnTicked();
    void OnFinish();
    void OnAdjust();

private:
    CADODatabase m_db;
    CReportCtrl* m_listItems;
    std::unique_ptr<CReconciliation> m_check;
    bool m_bListed = false; // 完成 and 调整 need the statement listed first
};
