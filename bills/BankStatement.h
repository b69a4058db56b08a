#pragma once

#include "bills/BankScheme.h"
#include "bills/BillRow.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// Where a statement's heading row stands, and how its fields are split.
struct BankHeading {
    std::size_t nLine = 0;   ///< from 1
    std::size_t nOffset = 0; ///< where it begins in the text
    char chDelimiter = ',';
    std::vector<std::string> header; ///< as BankHeader gives it
    std::string strPreamble;         ///< the text above it (a bank names the card there)
};

/// The first row among a statement's first lines that `accept` takes (banks put their name,
/// the card and the period above the heading row; the row is found by its fields, not by
/// its line). Tried split at commas, then at tabs.
bool FindBankHeading(const std::string& text,
                     const std::function<bool(const std::vector<std::string>&)>& accept,
                     BankHeading& heading);

/// Reads the rows under `heading` by `scheme` into `bill` (a bank statement of the scheme's
/// account), keyed by KeyBankRows. A row whose date, amount or balance cannot be read is
/// refused, naming the file (`strFile`, quoted) and the line; a 合计 line or a dashed line
/// ends the rows.
bool ReadBankRows(const std::string& text, const BankHeading& heading, const CBankScheme& scheme,
                  const std::string& strFile, BillFile& bill, std::string& strError);

/// Gives each row of a bank statement the key that keeps it from being stored twice, as an
/// order number does for a bill: the account, the time, the signed amount, the balance, the
/// summary and the counterparty, and which of the statement's rows with all these the same
/// it is (two equal coffees on a day without a balance column are two payments).
void KeyBankRows(BillFile& bill);
