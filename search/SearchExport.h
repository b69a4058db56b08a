#pragma once

#include "search/SearchRecords.h"

#include <filesystem>
#include <string>
#include <vector>

struct ExchangeRecord;

/// The headings of a search's CSV: 收支, then the export's columns.
std::vector<std::string> SearchCsvHeadings();
/// One found record as a CSV line's fields, as the export writes them.
std::vector<std::string> SearchCsvFields(int nKind, const ExchangeRecord& record);
std::vector<std::string> SearchCsvFields(const SearchRow& row);

/// Records of both kinds, each with its kind (0 income, 1 expense), as one CSV file that
/// the import reads back by its 收支 column; the receipts' count last when some record has
/// receipts. False with the reason in `strError`; then
/// nothing is left at `path`.
bool ExportSearchCsv(const std::filesystem::path& path,
                     const std::vector<std::pair<int, ExchangeRecord>>& records,
                     std::string& strError);
