#pragma once

#include <filesystem>
#include <string>

/// The whole ledger behind a connection text: as CSV, `out`-收入.csv and `out`-支出.csv;
/// as a workbook, `out`.xlsx with the sheets 收入 and 支出 (an extension .csv or .xlsx
/// given with `out` is not doubled). False with a one-line reason in `strError`; then no
/// file is left behind.
bool ExportLedger(const std::string& strConnection, const std::filesystem::path& out, bool bXlsx,
                  std::string& strError);

/// The connection text of a ledger file.
std::string LedgerConnectionText(const std::string& strLedger);

/// The reason an escaped error gives, in one line.
std::string DescribeExchangeError(std::exception_ptr error);
