#include "bills/XlsSheet.h"

#include <QTemporaryFile>

#include <freexl.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

// A compound document's signature.
constexpr std::string_view kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

struct HandleCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};
using HandlePtr = std::unique_ptr<const void, HandleCloser>;

// A number as Excel shows it: whole numbers with every digit (a card number may be stored as
// one), others to 15 significant digits, so a sum stored as 5071.839999999999 is 5071.84 and
// reads as cents.
std::string NumberText(double dValue) {
    char out[32];
    constexpr double kWhole = 9007199254740992.0; // 2^53
    const auto written =
        dValue == std::trunc(dValue) && std::fabs(dValue) < kWhole
            ? std::to_chars(out, out + sizeof out, static_cast<std::int64_t>(dValue))
            : std::to_chars(out, out + sizeof out, dValue, std::chars_format::general, 15);
    return std::string(out, written.ptr);
}

std::string CellText(const FreeXL_CellValue& value) {
    switch (value.type) {
    case FREEXL_CELL_INT:
        return std::to_string(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return NumberText(value.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return value.value.text_value ? value.value.text_value : "";
    default:
        return "";
    }
}

// What FreeXL's failures mean to the user.
std::string Why(int nError) {
    switch (nError) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return "内存不够";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return "其中没有工作簿";
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
        return "其中没有工作表";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return "其中的文字读不出";
    default:
        return "文件损坏";
    }
}

std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

bool CXlsSheet::LooksLikeXls(std::string_view bytes) {
    return bytes.substr(0, kSignature.size()) == kSignature;
}

bool CXlsSheet::Read(std::string_view bytes, std::string& strError, bool& bLocked) {
    m_rows.clear();
    bLocked = false;
    // FreeXL reads files only: the bytes go through a private file of our own, gone at return.
    QTemporaryFile file;
    if (!file.open() ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.flush()) {
        strError = "临时文件写不下";
        return false;
    }
    const void* raw = nullptr;
    const int nOpened = freexl_open(file.fileName().toLocal8Bit().constData(), &raw);
    const HandlePtr handle(raw);
    if (nOpened != FREEXL_OK) {
        strError = Why(nOpened);
        return false;
    }
    unsigned int nPassword = FREEXL_BIFF_PLAIN;
    // An encrypted workbook opens without a handle to it.
    if (!handle || freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &nPassword) != FREEXL_OK ||
        nPassword == FREEXL_BIFF_OBFUSCATED) {
        bLocked = true;
        strError = "设有密码";
        return false;
    }
    unsigned int nRows = 0;
    unsigned short nColumns = 0;
    int nResult = freexl_select_active_worksheet(handle.get(), 0);
    if (nResult == FREEXL_OK)
        nResult = freexl_worksheet_dimensions(handle.get(), &nRows, &nColumns);
    if (nResult != FREEXL_OK) {
        strError = Why(nResult);
        return false;
    }
    m_rows.resize(nRows);
    for (unsigned int nRow = 0; nRow < nRows; ++nRow) {
        std::vector<std::string>& row = m_rows[nRow];
        for (unsigned short nColumn = 0; nColumn < nColumns; ++nColumn) {
            FreeXL_CellValue value;
            nResult = freexl_get_cell_value(handle.get(), nRow, nColumn, &value);
            if (nResult != FREEXL_OK) {
                m_rows.clear();
                strError = Why(nResult);
                return false;
            }
            std::string text = CellText(value);
            if (!text.empty()) {
                row.resize(nColumn);
                row.push_back(std::move(text));
            }
        }
    }
    return true;
}

std::string CXlsSheet::CsvText() const {
    std::string text;
    for (const std::vector<std::string>& row : m_rows) {
        for (std::size_t nAt = 0; nAt < row.size(); ++nAt) {
            if (nAt > 0)
                text += ',';
            text += Quoted(row[nAt]);
        }
        text += '\n';
    }
    return text;
}
