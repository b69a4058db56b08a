#include "inquiry/InquiryTotals.h"

#include <algorithm>

void CInquiryTotals::Clear() {
    m_bListed = true;
    m_total = CAmountTotal();
    m_amounts.clear();
}

void CInquiryTotals::Add(const std::string& strId, double dAmount) {
    m_total.Add(dAmount);
    m_amounts.emplace_back(strId, dAmount);
}

std::vector<std::pair<std::string, double>>::iterator
CInquiryTotals::Find(const std::string& strId) {
    return std::find_if(m_amounts.begin(), m_amounts.end(),
                        [&strId](const auto& entry) { return entry.first == strId; });
}

bool CInquiryTotals::Replace(const std::string& strId, double dAmount) {
    const auto found = Find(strId);
    if (found == m_amounts.end())
        return false;
    m_total.Subtract(found->second);
    m_total.Add(dAmount);
    found->second = dAmount;
    return true;
}

bool CInquiryTotals::Remove(const std::string& strId) {
    const auto found = Find(strId);
    if (found == m_amounts.end())
        return false;
    m_total.Subtract(found->second);
    *found = std::move(m_amounts.back());
    m_amounts.pop_back();
    return true;
}

std::string CInquiryTotals::Text() const {
    if (!m_bListed)
        return "";
    return "共 " + std::to_string(m_amounts.size()) + " 条，合计 " + m_total.Text() + " 元";
}
