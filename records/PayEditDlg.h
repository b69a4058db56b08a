#pragma once

#include "records/RecordEditDlg.h"

/// 支出编辑: changes one record of normalPay.
class CPayEditDlg : public CRecordEditDlg {
public:
    enum { IDD = 139 };
    explicit CPayEditDlg(QWidget* parent = nullptr)
        : CRecordEditDlg(CRecordTwin::Pay, IDD, parent) {}
};
