#include "web/FormDecoding.h"

namespace web {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(std::string_view text, std::size_t nLimit, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            c = ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size())
                return false;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (out.size() == nLimit)
            return false;
        out.push_back(c);
    }
    return true;
}

// Tabs and line breaks may stand in a note; no other control character has a use here.
bool HasForbiddenControl(std::string_view text) {
    for (const unsigned char c : text)
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f)
            return true;
    return false;
}

bool ReadNumber(std::string_view text, std::size_t nAt, std::size_t nDigits, int& value) {
    if (nAt + nDigits > text.size())
        return false;
    value = 0;
    for (std::size_t i = nAt; i < nAt + nDigits; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

bool DecodeForm(std::string_view body, Fields& fields) {
    fields.clear();
    if (body.empty())
        return true;
    std::string name;
    std::string value;
    while (true) {
        const std::size_t end = body.find('&');
        const std::string_view pair = body.substr(0, end);
        if (!pair.empty()) {
            const std::size_t equals = pair.find('=');
            if (!Unescape(pair.substr(0, equals), kMaxNameBytes, name) || name.empty())
                return false;
            if (equals == std::string_view::npos)
                value.clear();
            else if (!Unescape(pair.substr(equals + 1), kMaxValueBytes, value))
                return false;
            if (!IsPlainText(name) || !IsPlainText(value))
                return false;
            if (fields.size() == kMaxFields || fields.count(name) != 0)
                return false;
            fields.emplace(name, value);
        }
        if (end == std::string_view::npos)
            return true;
        body.remove_prefix(end + 1);
    }
}

Fields DecodeCookies(std::string_view header) {
    Fields cookies;
    while (!header.empty() && cookies.size() < kMaxCookies) {
        const std::size_t end = header.find(';');
        const std::string_view pair = Trim(header.substr(0, end));
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && equals > 0 && equals <= kMaxNameBytes &&
            pair.size() - equals - 1 <= kMaxValueBytes) {
            const std::string name(Trim(pair.substr(0, equals)));
            // The first cookie of a name wins, as browsers send the most specific first.
            cookies.emplace(name, std::string(Trim(pair.substr(equals + 1))));
        }
        if (end == std::string_view::npos)
            break;
        header.remove_prefix(end + 1);
    }
    return cookies;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsPlainText(std::string_view text) {
    return IsUtf8(text) && !HasForbiddenControl(text);
}

bool DecodeRequestHead(std::string_view head, WebRequest& request) {
    request = WebRequest{};
    std::size_t end = head.find("\r\n");
    const std::string_view line = head.substr(0, end);
    const std::size_t space = line.find(' ');
    const std::size_t lastSpace = line.rfind(' ');
    if (space == std::string_view::npos || space == 0 || lastSpace == space ||
        line.substr(lastSpace + 1, 5) != "HTTP/")
        return false;
    request.strMethod = std::string(line.substr(0, space));
    const std::string_view target = line.substr(space + 1, lastSpace - space - 1);
    if (target.empty() || target.front() != '/')
        return false;
    const std::size_t question = target.find('?');
    request.strPath = std::string(target.substr(0, question));
    if (question != std::string_view::npos)
        request.strQuery = std::string(target.substr(question + 1));
    while (end != std::string_view::npos) {
        head.remove_prefix(end + 2);
        end = head.find("\r\n");
        const std::string_view header = head.substr(0, end);
        if (header.empty())
            continue;
        const std::size_t colon = header.find(':');
        if (colon == std::string_view::npos || colon == 0 || HasForbiddenControl(header))
            return false;
        std::string name(header.substr(0, colon));
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        request.headers.emplace_back(std::move(name), std::string(Trim(header.substr(colon + 1))));
    }
    return true;
}

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t nMore = 0;
        std::uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            nMore = 1;
            code = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            nMore = 2;
            code = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            nMore = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + nMore >= text.size())
            return false;
        for (std::size_t k = 1; k <= nMore; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3f);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[nMore] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return false;
        i += nMore + 1;
    }
    return true;
}

AmountText ParseAmount(std::string_view text, std::int64_t& nCents) {
    text = Trim(text);
    if (text.empty())
        return AmountText::Empty;
    std::int64_t whole = 0;
    std::size_t i = 0;
    std::size_t nWholeDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (++nWholeDigits > 9)
            return AmountText::NotNumber;
        whole = whole * 10 + (text[i] - '0');
        ++i;
    }
    std::int64_t cents = 0;
    std::size_t nDecimals = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (++nDecimals > 2)
                return AmountText::NotNumber;
            cents = cents * 10 + (text[i] - '0');
            ++i;
        }
        if (nDecimals == 1)
            cents *= 10;
    }
    if (i != text.size() || (nWholeDigits == 0 && nDecimals == 0))
        return AmountText::NotNumber;
    nCents = whole * 100 + cents;
    return AmountText::Ok;
}

bool ParseDateTime(std::string_view text, LocalDateTime& when) {
    if (text.size() != 16 && text.size() != 19)
        return false;
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':')
        return false;
    LocalDateTime parsed;
    if (!ReadNumber(text, 0, 4, parsed.nYear) || !ReadNumber(text, 5, 2, parsed.nMonth) ||
        !ReadNumber(text, 8, 2, parsed.nDay) || !ReadNumber(text, 11, 2, parsed.nHour) ||
        !ReadNumber(text, 14, 2, parsed.nMinute))
        return false;
    if (text.size() == 19 && (text[16] != ':' || !ReadNumber(text, 17, 2, parsed.nSecond)))
        return false;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (parsed.nYear < 1900 || parsed.nMonth < 1 || parsed.nMonth > 12 || parsed.nDay < 1 ||
        parsed.nDay > kDays[parsed.nMonth - 1] || parsed.nHour > 23 || parsed.nMinute > 59 ||
        parsed.nSecond > 59)
        return false;
    const bool bLeap =
        (parsed.nYear % 4 == 0 && parsed.nYear % 100 != 0) || parsed.nYear % 400 == 0;
    if (parsed.nMonth == 2 && parsed.nDay == 29 && !bLeap)
        return false;
    when = parsed;
    return true;
}

bool IsSubmissionId(std::string_view text) {
    if (text.size() < 16 || text.size() > 64)
        return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              c == '-' || c == '_'))
            return false;
    return true;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xc0) != 0x80)
            ++count;
    return count;
}

} // namespace web
