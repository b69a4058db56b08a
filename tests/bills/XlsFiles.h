#pragma once

#include "tests/bills/BankFiles.h"

#include <string>
#include <vector>

namespace xls_files {

/// One cell of a test workbook: `kind` 's' a text, 'n' a number, 'd' a day and 't' a day
/// and time (both "2024-03-05 12:30:00" texts, stored as the workbook's day numbers under
/// a date format, as Excel stores them); 0 leaves the cell empty.
struct Cell {
    char kind = 0;
    std::string text;
};
using Rows = std::vector<std::vector<Cell>>;

struct Options {
    bool b1904 = false;   ///< days counted from 1904, as Excel for the Mac did
    bool bLocked = false; ///< marked as kept shut by a password
};

/// An old Excel file (.xls) whose first sheet holds `rows`, written by python3-xlwt; empty,
/// and the test failed saying why, when it could not be written.
std::string Workbook(const Rows& rows, const Options& options = {});

/// A statement of 记账日期, 交易金额, 余额, 摘要, 对方户名 in its first sheet: three rows naming
/// the card above the heading (row 4), dates as day numbers, amounts and balances as numbers.
Rows Statement(const std::vector<bank_files::Line>& lines,
               const std::string& card = "6214830212341234");

} // namespace xls_files
