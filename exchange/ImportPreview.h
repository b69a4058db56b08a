#pragma once

#include "exchange/ImportChecker.h"

#include <cstddef>
#include <string>
#include <vector>

class CADODatabase;
class CImportFile;

/// The first lines of a file to import, each as it will be stored or with the reason it
/// will not, and how many of them are good, duplicates or bad.
struct ImportPreview {
    /// 行号, 收支, 金额, 成员, 日期, 类别, 备注, 说明.
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> bad; // per row: the line will not be stored
    std::size_t nGood = 0;
    std::size_t nDuplicates = 0;
    std::size_t nBad = 0;
    std::string strError; // the lines shown could not all be read, or columns are missing
};

inline constexpr const char* kPreviewHeadings[] = {"行号", "收支", "金额", "成员",
                                                   "日期", "类别", "备注", "说明"};

/// Checks up to `nLines` lines after the heading row against the ledger; writes nothing.
ImportPreview PreviewImport(CADODatabase& db, const CImportFile& file, const ColumnMapping& mapping,
                            const ImportOptions& options, std::size_t nLines);
