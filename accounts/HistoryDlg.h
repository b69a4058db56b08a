#pragma once

#include "accounts/Account.h"
#include "accounts/AccountHistory.h"
#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <map>
#include <memory>
#include <vector>

class CReportCtrl;

/// 账户明细: an account's records and transfers in date order with a running balance, its
/// last reconciliation, and from here transfers are added, edited and deleted, records
/// edited and deleted, and the account reconciled. The opener sets m_nAccountId.
class CHistoryDlg : public ui::Dialog {
public:
    enum { IDD = 233 };
    enum ControlId {
        IDC_SUMMARY = 2361,
        IDC_LIST = 2362,
        IDC_TRANSFER = 2363,
        IDC_EDIT = 2364,
        IDC_DELETE = 2365,
        IDC_RECONCILE = 2366,
    };

    explicit CHistoryDlg(QWidget* parent = nullptr);
    ~CHistoryDlg() override;

    std::int64_t m_nAccountId = 0;

protected:
    bool OnInitDialog() override;
    void OnTransfer();
    void OnEdit();
    void OnDelete();
    void OnReconcile();

private:
    void Reload();
    const CHistoryItem* Selected() const;

    CADODatabase m_db;
    class CHistoryCells;

    CReportCtrl* m_listHistory;
    CAccount m_account;
    std::map<std::int64_t, std::string> m_names;
    std::vector<CHistoryItem> m_items;
    // The list's rows are written from the items when they are shown: a history of a
    // hundred thousand items keeps no texts of its own.
    std::shared_ptr<CHistoryCells> m_cells;
};
