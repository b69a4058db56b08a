#pragma once

#include "inquiry/InquiryDlg.h"
#include "inquiry/InquiryTwin.h"

/// 支出查询: lists expense records.
class CPayInquiryDlg : public CInquiryDlg {
public:
    enum { IDD = 137 };
    explicit CPayInquiryDlg(QWidget* parent = nullptr) : CInquiryDlg(kPayInquiry, parent) {}
};
