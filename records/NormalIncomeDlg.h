#pragma once

#include "records/RecordEntryDlg.h"

/// 日常收入: adds income records to normalIncome.
class CNormalIncomeDlg : public CRecordEntryDlg {
public:
    enum { IDD = 133 };
    explicit CNormalIncomeDlg(QWidget* parent = nullptr)
        : CRecordEntryDlg(CRecordTwin::Income, IDD, parent) {}
};
