#pragma once

#include "records/RecordEditDlg.h"

/// 收入编辑: changes one record of normalIncome.
class CNormalIncomEditDlg : public CRecordEditDlg {
public:
    enum { IDD = 138 };
    explicit CNormalIncomEditDlg(QWidget* parent = nullptr)
        : CRecordEditDlg(CRecordTwin::Income, IDD, parent) {}
};
