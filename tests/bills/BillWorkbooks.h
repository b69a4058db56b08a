#pragma once

#include "tests/bills/BillFiles.h"

#include <string>
#include <utility>
#include <vector>

namespace bill_files {

/// How a test workbook stores its cells.
struct WorkbookStyle {
    bool bInlineStrings = false; ///< texts in the cells instead of the shared table
    bool bNumbers = false;       ///< times as dates and amounts as numbers, not as texts
};

/// A WeChat Pay bill as a workbook: the CSV's preamble, heading and rows in its first sheet,
/// one line to a row, so each payment stands on the same line as in the CSV.
std::string WeChatXlsx(const std::vector<Payment>& payments, const WorkbookStyle& style);
/// A workbook whose first sheet holds `rows` of texts, from row 1.
std::string SheetXlsx(const std::vector<std::vector<std::string>>& rows);
/// A zip archive of the named parts, as libzip writes one.
std::string ZipOf(const std::vector<std::pair<std::string, std::string>>& parts);

} // namespace bill_files
