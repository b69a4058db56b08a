#include "data/FormatDateTime.h"

#include "platform/ole/OleCalendar.h"

#include <ctime>

std::string FormatDateTime(const COleDateTime& dateTime, const std::string& pattern) {
    if (dateTime.GetStatus() == COleDateTime::null)
        return "";
    if (dateTime.GetStatus() == COleDateTime::invalid)
        return "Invalid DateTime";
    const auto parts = ole::OleCalendar::Split(dateTime.m_dt);
    if (!parts)
        return "Invalid DateTime";
    std::tm broken{};
    broken.tm_sec = parts->second;
    broken.tm_min = parts->minute;
    broken.tm_hour = parts->hour;
    broken.tm_mday = parts->day;
    broken.tm_mon = parts->month - 1;
    broken.tm_year = parts->year - 1900;
    broken.tm_wday = parts->dayOfWeek - 1;
    broken.tm_yday = parts->dayOfYear - 1;
    broken.tm_isdst = 0;
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, pattern.c_str(), &broken);
    return std::string(buffer, length);
}
