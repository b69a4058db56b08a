#pragma once

#include <optional>
#include <string>

class QWidget;

/// Where a list's 导出… writes, as the user chose it in the save dialog.
struct ExportTarget {
    std::string strPath;
    bool bXlsx = false; // an Excel workbook, else CSV
};

/// Asks where to export `nRows` listed rows, offering `strName`.csv; none when the user
/// cancels, or when the list is empty (which is told over `owner`).
std::optional<ExportTarget> AskExportTarget(QWidget* owner, int nRows, const std::string& strName);
