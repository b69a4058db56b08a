#pragma once

#include "records/RecordDlg.h"

/// Adds daily records one at a time to the income or the expense table; the twin decides
/// which. 添加 adds; 关闭 takes the accept path.
class CRecordEntryDlg : public CRecordDlg {
public:
    enum { IDC_ADD = 1016 };

protected:
    CRecordEntryDlg(const CRecordTwin& twin, int templateId, QWidget* parent);

    bool OnInitDialog() override;
    void FillFromLedger() override;
    void OnAdd();

private:
    /// Preselects the account of the member's latest record that has one.
    void SelectLastAccount();
};
