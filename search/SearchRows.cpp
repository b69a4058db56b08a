#include "search/SearchRows.h"

#include "data/FormatDateTime.h"
#include "inquiry/AmountTotal.h"

#include <cstdio>

const char* const CSearchRows::kHeadings[ColumnCount] = {
    kSearchKindHeading, "编号", "金额", "人员", "日期", "项目", "备注"};

std::string CSearchRows::AmountText(double dAmount) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", dAmount);
    return text;
}

std::string CSearchRows::Text(std::uint32_t nRow, int nColumn) const {
    if (nRow >= m_rows.size())
        return {};
    const SearchRow& row = m_rows[nRow];
    switch (nColumn) {
    case ColumnKind:
        return SearchKindText(row.nKind);
    case ColumnId:
        return std::to_string(row.nId);
    case ColumnAmount:
        return AmountText(row.dAmount);
    case ColumnMember:
        return row.strMember;
    case ColumnDate:
        return row.bDate ? FormatDateTime(row.dtRecord, "%Y-%m-%d %H时") : row.strStoredDate;
    case ColumnItem:
        return row.strItem;
    case ColumnNote: {
        // One line in the list; the editor shows the whole note.
        const std::size_t end = row.strNote.find_first_of("\r\n");
        return end == std::string::npos ? row.strNote : row.strNote.substr(0, end) + "…";
    }
    default:
        return {};
    }
}

std::string CSearchRows::TotalsText(const std::vector<const SearchRow*>& rows) {
    CAmountTotal income, expense;
    for (const SearchRow* row : rows)
        (row->nKind == 0 ? income : expense).Add(row->dAmount);
    CAmountTotal balance = income;
    balance -= expense;
    return "共 " + std::to_string(rows.size()) + " 条，收入 " + income.Text() + " 元，支出 " +
           expense.Text() + " 元，结余 " + balance.Text() + " 元";
}
