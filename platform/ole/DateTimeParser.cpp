#include "platform/ole/DateTimeParser.h"

#include "platform/ole/OleCalendar.h"

namespace ole {
namespace {

constexpr std::string_view kHourMark = "\xE6\x97\xB6"; // 时 in UTF-8

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads minDigits..maxDigits decimal digits at the front of `text` and consumes them.
bool ReadNumber(std::string_view& text, int minDigits, int maxDigits, int& value) {
    int count = 0;
    value = 0;
    while (count < maxDigits && count < static_cast<int>(text.size()) && IsDigit(text[count])) {
        value = value * 10 + (text[count] - '0');
        ++count;
    }
    if (count < minDigits || (count < static_cast<int>(text.size()) && IsDigit(text[count])))
        return false;
    text.remove_prefix(static_cast<size_t>(count));
    return true;
}

bool Consume(std::string_view& text, std::string_view token) {
    if (text.substr(0, token.size()) != token)
        return false;
    text.remove_prefix(token.size());
    return true;
}

struct Time {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "H:M", "H:M:S", or, when hourAlone is allowed, "H" and "H时". Consumes all of `text`.
bool ReadTime(std::string_view text, bool hourAlone, Time& time) {
    if (!ReadNumber(text, 1, 2, time.hour))
        return false;
    if (text.empty() || text == kHourMark)
        return hourAlone;
    if (!Consume(text, ":") || !ReadNumber(text, 1, 2, time.minute))
        return false;
    if (!text.empty() && (!Consume(text, ":") || !ReadNumber(text, 1, 2, time.second)))
        return false;
    return text.empty() && time.minute <= 59 && time.second <= 59 && time.hour <= 23;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool ParseDateTime(std::string_view text, COleDateTime& out) {
    text = Trim(text);
    std::string_view rest = text;
    int year = 0;
    int month = 0;
    int day = 0;
    Time time;
    std::optional<double> value;
    if (ReadNumber(rest, 3, 4, year) && !rest.empty() && (rest.front() == '-' || rest.front() == '/')) {
        const std::string_view separator = rest.substr(0, 1);
        rest.remove_prefix(1);
        if (!ReadNumber(rest, 1, 2, month) || !Consume(rest, separator) ||
            !ReadNumber(rest, 1, 2, day))
            return false;
        if (!rest.empty()) {
            if (!IsBlank(rest.front()))
                return false;
            if (!ReadTime(Trim(rest), true, time))
                return false;
        }
        value = OleCalendar::Join(year, month, day, time.hour, time.minute, time.second);
    } else {
        if (!ReadTime(text, false, time))
            return false;
        value = (time.hour * 3600 + time.minute * 60 + time.second) / 86400.0;
    }
    if (!value)
        return false;
    out = COleDateTime(*value);
    return true;
}

} // namespace ole
