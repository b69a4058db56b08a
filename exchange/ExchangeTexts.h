#pragma once

#include <cstddef>
#include <string>

// The exchange's own user-visible texts, each defined here once.

inline constexpr const char* kTextExportCaption = "导出记录";
inline constexpr const char* kFilterCsv = "CSV 文件 (*.csv)";
inline constexpr const char* kFilterXlsx = "Excel 工作簿 (*.xlsx)";
inline constexpr const char* kTextNothingToExport = "列表中没有记录！";
inline constexpr const char* kTextExportFailed = "导出失败！\n";

inline std::string ExportDoneText(std::size_t nRecords) {
    return "导出成功！共 " + std::to_string(nRecords) + " 条记录。";
}
