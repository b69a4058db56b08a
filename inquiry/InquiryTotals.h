#pragma once

#include "inquiry/AmountTotal.h"

#include <string>

/// The totals line under an inquiry's result list: how many rows are listed and what their
/// stored amounts add up to (not their one-decimal cells). It follows the list through a
/// listing, an edit and a deletion; it keeps nothing per row, so a year's list costs it
/// nothing but the adding: an edit or a deletion tells it the record's stored amount.
class CInquiryTotals {
public:
    /// A new listing begins: nothing listed yet, but the line now shows.
    void Clear();
    void Add(double dAmount);
    /// A listed record's amount went from `dOld` to `dNew`.
    void Replace(double dOld, double dNew);
    /// A listed record's row is gone.
    void Remove(double dAmount);

    int GetCount() const { return m_nCount; }
    const CAmountTotal& GetTotal() const { return m_total; }
    /// "共 12 条，合计 3456.70 元"; empty before the first listing.
    std::string Text() const;

private:
    bool m_bListed = false;
    int m_nCount = 0;
    CAmountTotal m_total;
};
