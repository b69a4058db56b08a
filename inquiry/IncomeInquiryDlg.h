#pragma once

#include "inquiry/InquiryDlg.h"
#include "inquiry/InquiryTwin.h"

/// 收入查询: lists income records.
class CIncomeInquiryDlg : public CInquiryDlg {
public:
    enum { IDD = 136 };
    explicit CIncomeInquiryDlg(QWidget* parent = nullptr) : CInquiryDlg(kIncomeInquiry, parent) {}
};
