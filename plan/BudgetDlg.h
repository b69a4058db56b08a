#pragma once

#include "data/ADODatabase.h"
#include "plan/BudgetStore.h"
#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class CReportCtrl;

/// 预算设置: a monthly amount per expense category and one for all expenses together. A
/// click on a row puts its amount in the box; 设定 stores the box's amount for that row at
/// once (empty or 0 removes the budget).
class CBudgetDlg : public ui::Dialog {
public:
    enum { IDD = 143 };
    enum ControlId { IDC_BUDGETS = 1130, IDC_AMOUNT = 1131, IDC_SET = 1132 };

    explicit CBudgetDlg(QWidget* parent = nullptr);
    ~CBudgetDlg() override;

    /// The names of the rows, in display order: all expenses, then the categories.
    const std::vector<std::string>& GetNames() const { return m_names; }

protected:
    bool OnInitDialog() override;

    void OnRowClick();
    void OnSet();

private:
    void Reload();

    CADODatabase m_db;
    CReportCtrl* m_listBudgets;
    std::vector<std::string> m_names;
    CBudgetStore::Budgets m_budgets;
};
