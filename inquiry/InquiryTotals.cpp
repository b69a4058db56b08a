#include "inquiry/InquiryTotals.h"

void CInquiryTotals::Clear() {
    m_bListed = true;
    m_nCount = 0;
    m_total = CAmountTotal();
}

void CInquiryTotals::Add(double dAmount) {
    ++m_nCount;
    m_total.Add(dAmount);
}

void CInquiryTotals::Replace(double dOld, double dNew) {
    m_total.Subtract(dOld);
    m_total.Add(dNew);
}

void CInquiryTotals::Remove(double dAmount) {
    --m_nCount;
    m_total.Subtract(dAmount);
}

std::string CInquiryTotals::Text() const {
    if (!m_bListed)
        return "";
    return "共 " + std::to_string(m_nCount) + " 条，合计 " + m_total.Text() + " 元";
}
