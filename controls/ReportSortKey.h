#pragma once

#include <string>
#include <string_view>

/// What the report list's comparison needs to know of one cell, worked out once per sort:
/// the trimmed text, whether it is a number by the list's number rule, its decimal value,
/// and, when first asked, whether it reads as a date-time and its bytes in GB18030.
class CReportSortKey {
public:
    CReportSortKey() = default;
    explicit CReportSortKey(std::string_view text);

    const std::string& Text() const { return m_strText; }
    bool IsEmpty() const { return m_strText.empty(); }
    bool IsNumber() const { return m_bNumber; }
    double Number() const { return m_dNumber; }
    bool IsDate() const;
    /// The date-time as a value that orders chronologically; 0 when not a date.
    double DateValue() const;
    /// The text in GB18030, so that byte order is pinyin order for Chinese.
    const std::string& CollationText() const;

    /// Orders two cells as the list sorts its rows: the kind of comparison is chosen from
    /// `first` alone (empty, number, date-time, text); descending compares `second` with
    /// `first` in that same kind.
    static int Compare(const CReportSortKey& first, const CReportSortKey& second, bool ascending);

    /// Not empty; only digits, "+" anywhere, "-" first in a text longer than one character,
    /// and at most one decimal point.
    static bool IsNumberText(std::string_view text);
    /// The longest decimal prefix as the C library reads it (not the user's locale); 0
    /// when there is none.
    static double NumberValue(const std::string& text);
    /// UTF-8 to GB18030; text that is not valid UTF-8 is kept as it is.
    static std::string ToGb18030(std::string_view text);

private:
    void ParseDate() const;

    std::string m_strText;
    bool m_bNumber = false;
    double m_dNumber = 0.0;
    mutable bool m_bDateParsed = false;
    mutable bool m_bDate = false;
    mutable double m_dDate = 0.0;
    mutable bool m_bCollated = false;
    mutable std::string m_strCollation;
};
