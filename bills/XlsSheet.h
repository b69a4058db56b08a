#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The first sheet of an old binary Excel file (.xls, as many banks still export their
/// statements) as rows of UTF-8 cell texts, read with FreeXL: numbers as their shortest text,
/// dates as "2024-03-05" or "2024-03-05 12:30:00" (whichever day count the workbook uses),
/// so the statements' text readers take them as they take a CSV file's.
class CXlsSheet {
public:
    /// True when the bytes begin as a compound document (every .xls is one).
    static bool LooksLikeXls(std::string_view bytes);

    /// Reads the first sheet of the workbook in `bytes`. False, with `strError` saying in
    /// plain words what is wrong, when the bytes are no readable workbook; `bLocked` then
    /// tells a workbook kept shut by a password from a broken one.
    bool Read(std::string_view bytes, std::string& strError, bool& bLocked);

    /// Row by row from the sheet's first (a row's trailing empty cells left off).
    const std::vector<std::vector<std::string>>& Rows() const { return m_rows; }
    /// The rows as a CSV file's text: UTF-8, commas, a field quoted where it must be, one
    /// line per row of the sheet (so a line's number is the row's).
    std::string CsvText() const;

private:
    std::vector<std::vector<std::string>> m_rows;
};
