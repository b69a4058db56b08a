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

inline constexpr const char* kTextChooseImportFile = "选择要导入的文件";
inline constexpr const char* kFilterAllFiles = "所有文件 (*)";
inline constexpr const char* kTextSaveBadLines = "保存错误行";
inline constexpr const char* kTextBadLinesSaved = "错误行已保存！";
inline constexpr const char* kTextSaveFailed = "保存失败！\n";
inline constexpr const char* kTextNoColumn = "（无）";
inline constexpr const char* kDelimiterNames[] = {"逗号", "分号", "制表符"};
inline constexpr char kDelimiters[] = {',', ';', '\t'};
inline constexpr const char* kImportKindNames[] = {"收入", "支出", "按收支列"};
inline constexpr const char* kTextImporting = "正在导入…";

inline std::string PreviewStatusText(std::size_t nShown, std::size_t nGood, std::size_t nDuplicates,
                                     std::size_t nBad) {
    return "前 " + std::to_string(nShown) + " 行中：可导入 " + std::to_string(nGood) +
           " 行，重复 " + std::to_string(nDuplicates) + " 行，错误 " + std::to_string(nBad) +
           " 行。";
}
