#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// The first sheet of an Excel workbook (.xlsx) as rows of cell texts: the sheet the
/// workbook lists first, found through its parts' relationships; shared and inline strings
/// resolved, numbers as their shortest text. The archive is read with libzip and the parts
/// with Qt's XML reader; nothing of the workbook is written or kept.
class CWorkbookSheet {
public:
    struct Row {
        std::size_t nRow = 0;           ///< the sheet's row number, from 1
        std::vector<std::string> cells; ///< by column, from A; a missing cell is ""
        std::vector<bool> numbers;      ///< which cells hold a number (a date among them)
    };

    /// True when the bytes begin as a zip archive (every .xlsx is one).
    static bool LooksLikeWorkbook(std::string_view bytes);

    /// Reads the first sheet of the workbook in `bytes`. False, with `strError` saying in
    /// plain words what is wrong, when the bytes are no readable workbook.
    bool Read(std::string_view bytes, std::string& strError);

    const std::vector<Row>& Rows() const { return m_rows; }
    /// True when the workbook counts its dates from 1904 instead of 1900.
    bool Dates1904() const { return m_b1904; }

private:
    std::vector<Row> m_rows;
    bool m_b1904 = false;
};
