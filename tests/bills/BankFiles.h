#pragma once

#include <string>
#include <vector>

namespace bank_files {

/// One line of a test statement: the signed amount ("-28.16", "5000.00") and the balance
/// after it as plain decimals; the layouts write them each in their bank's way.
struct Line {
    std::string date; // "2024-03-05"
    std::string amount;
    std::string balance;
    std::string summary;
    std::string counterparty;
};

/// A month of a card at 100.00 before it: a salary in, two payments out, each balance
/// following from the one before.
const std::vector<Line>& March();

/// A statement with one signed 交易金额 column: UTF-8 with a byte-order mark, a few lines
/// of preamble naming the card, amounts with thousands commas in quotes, every line ending
/// in a comma. Heading: 记账日期,交易金额,余额,摘要,对方户名.
std::string SignedCsv(const std::vector<Line>& lines, const std::string& card = "6214830212341234");
/// A statement with 收入金额 and 支出金额 columns: GB18030, CRLF, dates as eight digits with
/// the time in a column of its own, the newest line first, a 合计 line at the end.
/// Heading: 交易日期,交易时间,收入金额,支出金额,账户余额,交易摘要,对方名称.
std::string ColumnsCsv(const std::vector<Line>& lines);

} // namespace bank_files
