#pragma once

#include "exchange/RecordImport.h"

#include <filesystem>
#include <string>

/// The import of a CSV file into the ledger behind a connection text, without a window:
/// encoding, delimiter and columns as detected. Engine errors end up in strError (and then
/// nothing was written).
ImportSummary ImportLedgerFile(const std::string& strConnection, const std::filesystem::path& file,
                               const ImportOptions& options);
