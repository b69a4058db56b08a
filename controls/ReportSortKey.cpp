#include "controls/ReportSortKey.h"

#include "platform/ole/DateTimeParser.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iconv.h>
#include <locale.h>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

int Sign(double a, double b) {
    return static_cast<int>(a > b) - static_cast<int>(a < b);
}

// Before 1899-12-30 the whole days count backwards while the fraction counts forwards, so
// the raw value does not order; this one does.
double ChronologicalValue(double oleDate) {
    const double whole = std::trunc(oleDate);
    return oleDate < 0 ? whole + (whole - oleDate) : oleDate;
}

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

class Gb18030Encoder {
public:
    Gb18030Encoder() : m_cd(iconv_open("GB18030", "UTF-8")) {}
    ~Gb18030Encoder() {
        if (m_cd != kInvalid)
            iconv_close(m_cd);
    }
    Gb18030Encoder(const Gb18030Encoder&) = delete;
    Gb18030Encoder& operator=(const Gb18030Encoder&) = delete;

    bool Encode(std::string_view text, std::string& out) {
        if (m_cd == kInvalid)
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.resize(text.size() * 2 + 4);
        char* in = const_cast<char*>(text.data());
        size_t inLeft = text.size();
        char* dest = out.data();
        size_t outLeft = out.size();
        if (iconv(m_cd, &in, &inLeft, &dest, &outLeft) == static_cast<size_t>(-1))
            return false;
        out.resize(out.size() - outLeft);
        return true;
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
    iconv_t m_cd;
};

} // namespace

CReportSortKey::CReportSortKey(std::string_view text) : CReportSortKey(KindOnly(text)) {
    ReadNumber();
    ReadDate();
}

CReportSortKey CReportSortKey::KindOnly(std::string_view text) {
    CReportSortKey key;
    key.SetText(Trim(text));
    if (IsNumberText(key.Text()))
        key.m_nFlags |= kNumber;
    return key;
}

void CReportSortKey::ReadNumber() {
    if (!IsEmpty() && (m_nFlags & kCollated) == 0)
        m_dNumber = NumberValue(Text());
}

void CReportSortKey::ReadDate() {
    COleDateTime value;
    if (!IsEmpty() && (m_nFlags & kCollated) == 0 && ole::ParseDateTime(Text(), value) &&
        value.GetStatus() == COleDateTime::valid) {
        m_nFlags |= kDate;
        m_dDate = ChronologicalValue(value.m_dt);
    }
}

void CReportSortKey::SetText(std::string_view text) {
    // A cell of 4 GB or more is not a thing a list shows; its key reads the first 4 GB.
    m_pText = text.data();
    m_nLength = static_cast<std::uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
}

void CReportSortKey::SetCollation(std::string_view gb18030) {
    SetText(gb18030);
    m_nFlags |= kCollated;
}

int CReportSortKey::CompareText(const CReportSortKey& a, const CReportSortKey& b) {
    if (a.IsEmpty() || b.IsEmpty())
        return a.IsEmpty() ? (b.IsEmpty() ? 0 : -1) : 1;
    int result = 0;
    if ((a.m_nFlags & b.m_nFlags & kCollated) != 0) {
        result = a.Text().compare(b.Text());
    } else {
        auto collated = [](const CReportSortKey& key) {
            return (key.m_nFlags & kCollated) != 0 ? std::string(key.Text()) : ToGb18030(key.Text());
        };
        result = collated(a).compare(collated(b));
    }
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int CReportSortKey::Compare(const CReportSortKey& first, const CReportSortKey& second,
                            bool ascending) {
    const CReportSortKey& a = ascending ? first : second;
    const CReportSortKey& b = ascending ? second : first;
    if (first.IsEmpty() || second.IsEmpty())
        return CompareText(a, b);
    if (first.IsNumber())
        return Sign(a.Number(), b.Number());
    if (first.IsDate() && second.IsDate())
        return Sign(a.DateValue(), b.DateValue());
    return CompareText(a, b);
}

bool CReportSortKey::IsNumberText(std::string_view text) {
    if (text.empty())
        return false;
    bool point = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= '0' && c <= '9') || c == '+')
            continue;
        if (c == '-' && i == 0 && text.size() > 1)
            continue;
        // The amount column shows "%0.1f" texts: one decimal point still makes a number.
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        return false;
    }
    return true;
}

double CReportSortKey::NumberValue(std::string_view text) {
    // strtod wants a terminated text; cells are short, so mostly no allocation.
    char buffer[64];
    if (text.size() < sizeof buffer) {
        text.copy(buffer, text.size());
        buffer[text.size()] = '\0';
        return strtod_l(buffer, nullptr, CLocale());
    }
    return strtod_l(std::string(text).c_str(), nullptr, CLocale());
}

std::string CReportSortKey::ToGb18030(std::string_view text) {
    thread_local Gb18030Encoder encoder;
    std::string out;
    if (!encoder.Encode(text, out))
        return std::string(text);
    return out;
}
