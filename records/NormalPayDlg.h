#pragma once

#include "records/RecordEntryDlg.h"

/// 日常支出: adds expense records to normalPay.
class CNormalPayDlg : public CRecordEntryDlg {
public:
    enum { IDD = 135 };
    explicit CNormalPayDlg(QWidget* parent = nullptr)
        : CRecordEntryDlg(CRecordTwin::Pay, IDD, parent) {}
};
