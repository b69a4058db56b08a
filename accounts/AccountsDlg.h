#pragma once

#include "accounts/Account.h"
#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <vector>

class CReportCtrl;

/// 账户设置: the household's accounts, each with its kind, owner, opening balance and date,
/// order and whether it is stopped. An account that records refer to is stopped, not
/// deleted.
class CAccountsDlg : public ui::Dialog {
public:
    enum { IDD = 230 };
    enum ControlId {
        IDC_LIST = 2301,
        IDC_NAME = 2302,
        IDC_KIND = 2303,
        IDC_OWNER = 2304,
        IDC_OPENING = 2305,
        IDC_OPENING_DATE = 2306,
        IDC_ORDER = 2307,
        IDC_STOPPED = 2308,
        IDC_NEW = 2309,
        IDC_SAVE = 2310,
        IDC_DELETE = 2311,
    };

    explicit CAccountsDlg(QWidget* parent = nullptr);
    ~CAccountsDlg() override;

protected:
    bool OnInitDialog() override;
    void OnRowClick();
    void OnNew();
    void OnSave();
    void OnDelete();

private:
    void Reload();
    void Show(const CAccount& account);

    CADODatabase m_db;
    CReportCtrl* m_listAccounts;
    std::vector<CAccount> m_accounts;
    std::int64_t m_nEditing = 0; // 0: the fields make a new account
};
