#include "platform/ado/StoredDate.h"

#include "platform/ole/DateTimeParser.h"
#include "platform/ole/OleCalendar.h"

#include <cstdint>
#include <cstring>

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

namespace {

// The days of the last date read, by its "YYYY-MM-DD": a cursor reads rows in date order,
// so most dates fall on the day before them.
struct LastDay {
    std::uint64_t head = 0; // "YYYY-MM-", compared as two words rather than by a call
    std::uint16_t tail = 0; // "DD"
    long long days = 0;
    bool known = false;
};

// The value of the digits text[at, at + width); false when one is not a digit.
bool Digits(std::string_view text, size_t at, size_t width, int& value) {
    value = 0;
    for (size_t k = at; k < at + width; ++k) {
        const unsigned digit = static_cast<unsigned char>(text[k]) - '0';
        if (digit > 9)
            return false;
        value = value * 10 + static_cast<int>(digit);
    }
    return true;
}

} // namespace

bool StoredDate::Parse(std::string_view text, double& oleDate) {
    // The stored form itself is read directly: it is what every date column holds.
    if (text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' &&
        text[13] == ':' && text[16] == ':') {
        thread_local LastDay last;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        std::uint64_t head = 0;
        std::uint16_t tail = 0;
        std::memcpy(&head, text.data(), sizeof head);
        std::memcpy(&tail, text.data() + sizeof head, sizeof tail);
        const bool sameDay = last.known && last.head == head && last.tail == tail;
        if ((sameDay || (Digits(text, 0, 4, year) && Digits(text, 5, 2, month) &&
                         Digits(text, 8, 2, day))) &&
            Digits(text, 11, 2, hour) && Digits(text, 14, 2, minute) &&
            Digits(text, 17, 2, second)) {
            if (hour > 23 || minute > 59 || second > 59)
                return false;
            if (!sameDay) {
                const auto midnight = ole::OleCalendar::Join(year, month, day, 0, 0, 0);
                if (!midnight)
                    return false;
                last.head = head;
                last.tail = tail;
                last.days = static_cast<long long>(*midnight);
                last.known = true;
            }
            oleDate = ole::OleCalendar::FromDayAndSeconds(last.days,
                                                          hour * 3600 + minute * 60 + second);
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
