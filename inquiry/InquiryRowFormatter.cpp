#include "inquiry/InquiryRowFormatter.h"

#include "data/FormatDateTime.h"

#include <charconv>
#include <cmath>

namespace {

// Conversions that show at most the hour, so that two dates of one hour give one text.
bool ShowsAtMostTheHour(const std::string& pattern) {
    for (std::size_t at = pattern.find('%'); at != std::string::npos; at = pattern.find('%', at + 2)) {
        if (at + 1 >= pattern.size())
            return false;
        const char conversion = pattern[at + 1];
        if (conversion != 'Y' && conversion != 'm' && conversion != 'd' && conversion != 'H' &&
            conversion != '%')
            return false;
    }
    return true;
}

} // namespace

CInquiryRowFormatter::CInquiryRowFormatter(std::string strDatePattern)
    : m_strPattern(std::move(strDatePattern)), m_bHourly(ShowsAtMostTheHour(m_strPattern)) {}

std::string CInquiryRowFormatter::Amount(double dAmount) {
    // Correctly rounded like printf's "%0.1f", without the cost of a format string.
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, dAmount, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

const std::string& CInquiryRowFormatter::Date(const COleDateTime& date) {
    // From 1899-12-30 on, the OLE date counts days forwards; the calendar rounds it to the
    // second, and so does the hour count here.
    const bool counted = m_bHourly && date.GetStatus() == COleDateTime::valid &&
                         date.m_dt >= 0.0 && date.m_dt < 2958466.0;
    const long long nHour = counted ? std::llround(date.m_dt * 86400.0) / 3600 : -1;
    if (nHour < 0 || nHour != m_nLastHour)
        m_strLast = FormatDateTime(date, m_strPattern);
    m_nLastHour = nHour;
    return m_strLast;
}
