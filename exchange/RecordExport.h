#pragma once

#include "exchange/ExchangeRecord.h"

#include <filesystem>
#include <string>
#include <vector>

/// One table of records to export, under a name (a workbook's sheet).
struct ExportSheet {
    std::string strName;
    const std::vector<ExchangeRecord>* pRecords;
};

/// The records as CSV: a heading row, then one line per record with the six stored columns,
/// the amount as stored and the date "YYYY-MM-DD HH:MM:SS"; then the account and the count of
/// receipts, each only when some record has one. False with the reason in
/// `strError`; then nothing is left at `path`.
bool ExportRecordsCsv(const std::filesystem::path& path, const std::vector<ExchangeRecord>& records,
                      std::string& strError);

/// The tables as one Excel workbook, a sheet each: a bold heading row, amounts as numbers
/// with two decimals, dates as spreadsheet dates, the account and the count of receipts as the
/// CSV has them, columns as wide as their texts and a 合计 row that sums the amounts. False with
/// the reason in `strError`; then nothing is left at `path`.
bool ExportRecordsXlsx(const std::filesystem::path& path, const std::vector<ExportSheet>& sheets,
                       std::string& strError);
