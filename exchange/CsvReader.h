#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct csv_parser;

/// The longest field a row may hold (a note of 64 KB); a longer one is cut there and its row
/// marked, so that a file with a field of hundreds of megabytes is refused without holding it.
inline constexpr std::size_t kMaxCsvField = 64 * 1024;

/// One row of a CSV file: the fields and the line of the file it starts on (from 1; a CR,
/// an LF and a CR LF each end a line).
struct CsvRow {
    std::size_t nLine = 0;
    std::vector<std::string> fields;
    bool bFieldTooLong = false; // a field was longer than kMaxCsvField and is cut
};

/// Comma, semicolon or tab: the one that splits the first lines of `text` most evenly
/// (outside quotes); a comma when nothing tells.
char DetectDelimiter(std::string_view text);

/// Reads rows from CSV text through libcsv, strictly: a quote where none may stand, or one
/// that is never closed, ends the reading with GetLastError naming the line. Blank lines
/// are skipped; white space around an unquoted field is dropped.
class CCsvReader {
public:
    CCsvReader(std::string_view text, char delimiter);
    ~CCsvReader();
    CCsvReader(const CCsvReader&) = delete;
    CCsvReader& operator=(const CCsvReader&) = delete;

    /// The next row; false at the end of the text or on an error.
    bool Next(CsvRow& row);
    /// The next row as views of its fields and the line it starts on, as Next reads it (a
    /// field past kMaxCsvField cut, unmarked): a line without quotes is split where it stands,
    /// without a copy. The views hold until the next call and while the text lives.
    bool NextFields(std::vector<std::string_view>& fields, std::size_t& nLine);
    /// How much of the text has been read, 0 to 1.
    double Progress() const;
    /// Empty unless reading stopped on an error.
    const std::string& GetLastError() const { return m_strError; }

private:
    static void OnField(void* data, std::size_t size, void* self);
    static void OnRowEnd(int terminator, void* self);
    void Feed();
    size_t LineEnd(size_t from) const;
    bool SplitPlainLine();
    enum class Plain { Row, Blank, Quoted };
    Plain SplitPlainViews(std::vector<std::string_view>& fields);

    std::unique_ptr<csv_parser> m_parser;
    std::string_view m_text;
    std::size_t m_nOffset = 0;
    std::size_t m_nLine = 0;    // lines fed so far
    std::size_t m_nRowLine = 0; // where the row being read began
    bool m_bLineStart = true;   // the next text fed begins a line
    bool m_bFieldTooLong = false; // of the row being read
    bool m_bFinished = false;
    std::vector<std::string> m_fields; // of the row being read; the first m_nFields hold it
    std::size_t m_nFields = 0;
    std::vector<std::string> m_spare; // a row's fields given back, to be written over
    std::deque<CsvRow> m_ready;
    CsvRow m_row; // what NextFields gives views of when libcsv read it
    std::string m_strError;
};
