#pragma once

#include "accounts/Account.h"
#include "bills/BankScheme.h"
#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <optional>
#include <string>
#include <vector>

class CReportCtrl;

/// 导入方案: maps the columns of a bank statement the import does not know yet (guessed from
/// its headings, for the user to correct), with the account it is of, and saves that under a
/// name, so the next statement of the same layout imports in one step; lists the schemes
/// saved, to rename or delete one. Opened without a statement it only lists them. Ends with
/// IDOK once a scheme for the statement is saved.
class CBankSchemeDlg : public ui::Dialog {
public:
    enum { IDD = 260 };
    enum ControlId {
        IDC_HEADER = 2601,
        IDC_COLUMN_FIRST = 2602, // one combo per BankField, in its order
        IDC_ACCOUNT = 2610,
        IDC_NAME = 2611,
        IDC_SAVE = 2612,
        IDC_STATUS = 2613,
        IDC_SCHEMES = 2614,
        IDC_RENAME = 2615,
        IDC_DELETE = 2616,
    };

    /// `guess`: the statement's heading row and the columns guessed from it; none to only
    /// list the schemes saved.
    explicit CBankSchemeDlg(std::optional<CBankScheme> guess, QWidget* parent = nullptr);
    ~CBankSchemeDlg() override;

protected:
    bool OnInitDialog() override;

private:
    void OnSave();
    void OnSchemeChosen();
    void OnRename();
    void OnDelete();
    void ShowSchemes(const std::string& strSelect);
    std::string ChosenScheme() const;
    std::string AccountName(std::int64_t nId) const;

    CADODatabase m_db;
    CReportCtrl* m_listSchemes;
    std::optional<CBankScheme> m_guess;
    std::vector<CAccount> m_accounts;
};
