#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// What the report list's comparison needs to know of one cell, worked out once per sort:
/// whether the trimmed text is empty, a number by the list's number rule (and its decimal
/// value), a date-time (and its value), and the text's bytes in GB18030. Kept small, since
/// a sort reads one key per row over and over.
class CReportSortKey {
public:
    CReportSortKey() = default;
    /// Everything at once. `text` must outlive the key: the key keeps a view of it.
    explicit CReportSortKey(std::string_view text);

    /// Only the trimmed text and the number rule; ReadNumber and ReadDate add the rest
    /// when a sort needs them.
    static CReportSortKey KindOnly(std::string_view text);
    void ReadNumber();
    void ReadDate();
    /// Hands the key its text in GB18030 (ToGb18030 of Text()), kept by the caller for as
    /// long as the key is used; the key then no longer needs the original text. Without
    /// it, a text comparison converts on the spot.
    void SetCollation(std::string_view gb18030);

    /// The trimmed text (its GB18030 form once SetCollation was called).
    std::string_view Text() const { return {m_pText, m_nLength}; }
    bool IsEmpty() const { return m_nLength == 0; }
    bool IsNumber() const { return (m_nFlags & kNumber) != 0; }
    double Number() const { return m_dNumber; }
    bool IsDate() const { return (m_nFlags & kDate) != 0; }
    /// The date-time as a value that orders chronologically; 0 when not a date.
    double DateValue() const { return m_dDate; }

    /// Orders two cells as the list sorts its rows: the kind of comparison is chosen from
    /// `first` alone (empty, number, date-time, text); descending compares `second` with
    /// `first` in that same kind.
    static int Compare(const CReportSortKey& first, const CReportSortKey& second, bool ascending);

    /// Not empty; only digits, "+" anywhere, "-" first in a text longer than one character,
    /// and at most one decimal point.
    static bool IsNumberText(std::string_view text);
    /// The longest decimal prefix as the C library reads it (not the user's locale); 0
    /// when there is none.
    static double NumberValue(std::string_view text);
    /// UTF-8 to GB18030; text that is not valid UTF-8 is kept as it is.
    static std::string ToGb18030(std::string_view text);

private:
    static constexpr std::uint8_t kNumber = 1;
    static constexpr std::uint8_t kDate = 2;
    static constexpr std::uint8_t kCollated = 4;

    static int CompareText(const CReportSortKey& a, const CReportSortKey& b);
    void SetText(std::string_view text);

    double m_dNumber = 0.0;
    double m_dDate = 0.0;
    // The text as a pointer and a 32-bit length rather than a view: 32 bytes a key, not 40.
    const char* m_pText = "";
    std::uint32_t m_nLength = 0;
    std::uint8_t m_nFlags = 0;
};
