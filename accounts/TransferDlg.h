#pragma once

#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <cstdint>

/// 转账: money moved from one account to another. A new transfer is saved and the window
/// stays for the next, as the entry windows do; an existing one (m_nTransferId set by the
/// opener) is changed and the window ends as accepted.
class CTransferDlg : public ui::Dialog {
public:
    enum { IDD = 231 };
    enum ControlId {
        IDC_FROM = 2321,
        IDC_TO = 2322,
        IDC_AMOUNT = 2323,
        IDC_MEMBER = 2324,
        IDC_DATE = 2325,
        IDC_NOTE = 2326,
        IDC_SAVE = 2327,
    };

    explicit CTransferDlg(QWidget* parent = nullptr);

    std::int64_t m_nTransferId = 0;

protected:
    bool OnInitDialog() override;
    void OnSave();

private:
    CADODatabase m_db;
};
