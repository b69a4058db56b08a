#pragma once

#include "exchange/ImportChecker.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CADODatabase;
class CImportFile;

/// A line that was not imported, and why.
struct BadLine {
    std::size_t nLine = 0;
    std::string strReason;
    std::vector<std::string> fields;
};

struct ImportSummary {
    std::size_t nImported = 0;
    std::size_t nDuplicates = 0;
    std::vector<BadLine> badLines;
    bool bCancelled = false; // everything was rolled back
    std::string strError;    // the file could not be read: nothing was written
};

/// Told how far the import is (0 to 1) now and then; returning false cancels it.
using ImportProgress = std::function<bool(double)>;

/// Imports the lines of the file (after its heading row) in one transaction: all good lines
/// and the members and categories they add, or nothing when the file cannot be read to its
/// end, the import is cancelled or the engine fails (its error is thrown on after the
/// rollback).
ImportSummary ImportRecords(CADODatabase& db, const CImportFile& file, const ColumnMapping& mapping,
                            const ImportOptions& options, const ImportProgress& progress);

/// What an import that wrote nothing says: failed with `strError`, or cancelled; "" when
/// it did neither.
std::string ImportNothingText(const std::string& strError, bool bCancelled);

/// The summary in one message.
std::string ImportSummaryText(const ImportSummary& summary);

/// The bad lines as CSV: line number, reason, then the line's own fields.
bool SaveBadLines(const std::filesystem::path& path, const std::vector<BadLine>& badLines,
                  std::string& strError);
