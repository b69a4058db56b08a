#pragma once

#include "inquiry/AmountTotal.h"

#include <string>
#include <utility>
#include <vector>

/// The totals line under an inquiry's result list: how many rows are listed and what their
/// stored amounts add up to (not their one-decimal cells). It follows the list through a
/// listing, an edit and a deletion, and keeps each listed record's stored amount for that.
class CInquiryTotals {
public:
    /// A new listing begins: nothing listed yet, but the line now shows.
    void Clear();
    void Add(const std::string& strId, double dAmount);
    /// The record's amount became `dAmount`; false when it is not listed.
    bool Replace(const std::string& strId, double dAmount);
    /// The record's row is gone; false when it is not listed.
    bool Remove(const std::string& strId);

    int GetCount() const { return static_cast<int>(m_amounts.size()); }
    const CAmountTotal& GetTotal() const { return m_total; }
    /// "共 12 条，合计 3456.70 元"; empty before the first listing.
    std::string Text() const;

private:
    std::vector<std::pair<std::string, double>>::iterator Find(const std::string& strId);

    bool m_bListed = false;
    CAmountTotal m_total;
    // In listing order; an edit or a deletion looks its record up once.
    std::vector<std::pair<std::string, double>> m_amounts;
};
