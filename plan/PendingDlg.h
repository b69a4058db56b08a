#pragma once

#include "plan/RecurringBook.h"
#include "platform/ui/Dialog.h"

#include <vector>

class CADODatabase;
class CReportCtrl;

/// 待入账: the due occurrences of templates that wait for confirmation, each with a check
/// box (all checked). 入账 writes the checked ones; 以后再说 and the unchecked ones stay due
/// and come again at the next login.
class CPendingDlg : public ui::Dialog {
public:
    enum { IDD = 145 };
    enum ControlId { IDC_PENDING = 1150, IDC_POST = 1151 };

    CPendingDlg(CADODatabase& db, std::vector<DueOccurrence> pending, QWidget* parent = nullptr);
    ~CPendingDlg() override;

    /// How many records 入账 wrote.
    int GetMade() const { return m_nMade; }

protected:
    bool OnInitDialog() override;
    void OnPost();

private:
    CADODatabase& m_db;
    std::vector<DueOccurrence> m_pending;
    CReportCtrl* m_listPending;
    int m_nMade = 0;
};
