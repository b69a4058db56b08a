#include "search/SearchText.h"

#include <cctype>

namespace {

// The blanks that separate words: ASCII white space and the ideographic space (U+3000)
// that Chinese input methods type.
std::size_t BlankLength(const std::string& text, std::size_t at) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v')
        return 1;
    if (text.compare(at, 3, "\xE3\x80\x80") == 0)
        return 3;
    return 0;
}

bool AllDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Digits with a comma before each group of three, "2,399" or "1,234,567".
bool GroupedDigits(const std::string& text) {
    const std::size_t first = text.find(',');
    if (first == std::string::npos || first == 0 || first > 3)
        return false;
    for (std::size_t at = first; at < text.size(); at += 4) {
        if (text[at] != ',' || text.size() < at + 4 || !AllDigits(text.substr(at + 1, 3)))
            return false;
    }
    return AllDigits(text.substr(0, first));
}

} // namespace

std::size_t SearchWord::Length() const {
    std::size_t nCount = 0;
    for (const char c : strText)
        nCount += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return nCount;
}

std::vector<SearchWord> CSearchText::Parse(const std::string& strText) {
    std::vector<SearchWord> words;
    std::size_t at = 0;
    while (at < strText.size()) {
        std::size_t blank;
        while (at < strText.size() && (blank = BlankLength(strText, at)) > 0)
            at += blank;
        const std::size_t start = at;
        while (at < strText.size() && BlankLength(strText, at) == 0)
            ++at;
        if (at == start)
            continue;
        SearchWord word;
        word.strText = strText.substr(start, at - start);
        if (ReadDate(word.strText, word.dtLower, word.dtUpper))
            word.kind = SearchWord::Date;
        else if (ReadAmount(word.strText, word.nCents))
            word.kind = SearchWord::Number;
        words.push_back(std::move(word));
    }
    return words;
}

bool CSearchText::ReadAmount(const std::string& strWord, std::int64_t& nCents) {
    const std::size_t point = strWord.find('.');
    std::string whole = strWord.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : strWord.substr(point + 1);
    if (point != std::string::npos &&
        (fraction.empty() || fraction.size() > 2 || !AllDigits(fraction)))
        return false;
    if (GroupedDigits(whole)) {
        std::string digits;
        for (const char c : whole)
            if (c != ',')
                digits += c;
        whole = digits;
    } else if (!AllDigits(whole)) {
        return false;
    }
    // Beyond twelve digits of yuan nobody means an amount.
    if (whole.size() > 12)
        return false;
    nCents = std::stoll(whole) * 100;
    if (!fraction.empty())
        nCents += std::stoll(fraction) * (fraction.size() == 1 ? 10 : 1);
    return true;
}

bool CSearchText::ReadDate(const std::string& strWord, COleDateTime& dtLower,
                           COleDateTime& dtUpper) {
    int parts[3] = {0, 0, 0};
    int nParts = 0;
    std::size_t nDigits = 0;
    for (const char c : strWord) {
        if (c == '-') {
            if (nDigits == 0 || ++nParts > 2)
                return false;
            nDigits = 0;
            continue;
        }
        if (c < '0' || c > '9' || ++nDigits > (nParts == 0 ? 4u : 2u))
            return false;
        parts[nParts] = parts[nParts] * 10 + (c - '0');
    }
    if (nParts == 0 || nDigits == 0 || strWord.find('-') != 4)
        return false;
    const int nYear = parts[0], nMonth = parts[1], nDay = parts[2];
    if (nMonth < 1 || nMonth > 12)
        return false;
    if (nParts == 1) {
        dtLower = COleDateTime(nYear, nMonth, 1, 0, 0, 0);
        dtUpper = nMonth == 12 ? COleDateTime(nYear + 1, 1, 1, 0, 0, 0)
                               : COleDateTime(nYear, nMonth + 1, 1, 0, 0, 0);
    } else {
        dtLower = COleDateTime(nYear, nMonth, nDay, 0, 0, 0);
        // A day the month does not have is no date.
        if (dtLower.GetStatus() != COleDateTime::valid || dtLower.GetDay() != nDay)
            return false;
        dtUpper = dtLower.AddDays(1);
    }
    return dtLower.GetStatus() == COleDateTime::valid && dtUpper.GetStatus() == COleDateTime::valid;
}
