#include "platform/ado/StoredDate.h"

#include "platform/ole/DateTimeParser.h"
#include "platform/ole/OleCalendar.h"

namespace ado {

bool StoredDate::Format(double oleDate, std::string& text) {
    const auto parts = ole::OleCalendar::Split(oleDate);
    if (!parts)
        return false;
    // Written digit by digit: every date written to the file passes here.
    char buffer[] = "0000-00-00 00:00:00";
    const auto put = [&buffer](size_t end, int value) {
        for (size_t at = end; value > 0; value /= 10)
            buffer[--at] = static_cast<char>('0' + value % 10);
    };
    put(4, parts->year);
    put(7, parts->month);
    put(10, parts->day);
    put(13, parts->hour);
    put(16, parts->minute);
    put(19, parts->second);
    text.assign(buffer, sizeof buffer - 1);
    return true;
}

bool StoredDate::Parse(std::string_view text, double& oleDate) {
    // The stored form itself is read directly: it is what every date column holds.
    if (text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' &&
        text[13] == ':' && text[16] == ':') {
        bool digits = true;
        auto number = [&](size_t at, size_t width) {
            int value = 0;
            for (size_t k = at; k < at + width; ++k) {
                const unsigned digit = static_cast<unsigned char>(text[k]) - '0';
                digits = digits && digit <= 9;
                value = value * 10 + static_cast<int>(digit);
            }
            return value;
        };
        const int year = number(0, 4);
        const int month = number(5, 2);
        const int day = number(8, 2);
        const int hour = number(11, 2);
        const int minute = number(14, 2);
        const int second = number(17, 2);
        if (digits) {
            const auto value = ole::OleCalendar::Join(year, month, day, hour, minute, second);
            if (!value)
                return false;
            oleDate = *value;
            return true;
        }
    }
    COleDateTime value;
    if (!ole::ParseDateTime(text, value))
        return false;
    oleDate = value.m_dt;
    return true;
}

} // namespace ado
