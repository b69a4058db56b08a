#pragma once

#include "platform/ui/ListCells.h"
#include "search/SearchRecords.h"

#include <cstdint>
#include <string>
#include <vector>

/// The records a search found, as the search window's list shows them: 收支, then the
/// inquiry list's columns (编号, 金额, 人员, 日期, 项目) and the note. Amounts show two
/// decimals, dates as the inquiry lists show them.
class CSearchRows : public ui::ListCells {
public:
    enum Column {
        ColumnKind,
        ColumnId,
        ColumnAmount,
        ColumnMember,
        ColumnDate,
        ColumnItem,
        ColumnNote,
        ColumnCount
    };

    static const char* const kHeadings[ColumnCount];
    static std::string AmountText(double dAmount);

    void Set(std::vector<SearchRow> rows) { m_rows = std::move(rows); }
    const std::vector<SearchRow>& Rows() const { return m_rows; }
    std::vector<SearchRow>& Rows() { return m_rows; }
    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_rows.size()); }

    std::string Text(std::uint32_t nRow, int nColumn) const override;

    /// "共 3 条，收入 12.00 元，支出 4.50 元，结余 7.50 元" for the rows given.
    static std::string TotalsText(const std::vector<const SearchRow*>& rows);

private:
    std::vector<SearchRow> m_rows;
};
