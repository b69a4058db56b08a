#include "platform/ado/StoredDate.h"

#include "platform/ole/DateTimeParser.h"
#include "platform/ole/OleCalendar.h"

#include <cstdio>

namespace ado {

bool StoredDate::Format(double oleDate, std::string& text) {
    const auto parts = ole::OleCalendar::Split(oleDate);
    if (!parts)
        return false;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", parts->year,
                  parts->month, parts->day, parts->hour, parts->minute, parts->second);
    text = buffer;
    return true;
}

bool StoredDate::Parse(std::string_view text, double& oleDate) {
    COleDateTime value;
    if (!ole::ParseDateTime(text, value))
        return false;
    oleDate = value.m_dt;
    return true;
}

} // namespace ado
