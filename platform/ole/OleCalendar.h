#pragma once

#include <optional>

namespace ole {

/// Calendar parts of an OLE Automation date, after rounding to the nearest second.
struct DateParts {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 0; // Sunday = 1
    int dayOfYear = 0; // 1 January = 1
};

/// The conversions between OLE Automation dates and the calendar.
class OleCalendar {
public:
    static constexpr double kMinDate = -657434.0;        // 100-01-01
    static constexpr double kMaxDate = 2958465.99999999; // 9999-12-31 23:59:59.999

    /// Empty when the value is out of range or not a number.
    static std::optional<DateParts> Split(double oleDate);
    /// Empty when any part is out of range.
    static std::optional<double> Join(int year, int month, int day, int hour, int minute,
                                      int second);
    /// The value of `days` whole days since 1899-12-30 (negative before it) plus `seconds`
    /// into that day.
    static double FromDayAndSeconds(long long days, long long seconds);
    /// The inverse of FromDayAndSeconds: whole days since the epoch in time order and the
    /// seconds into the day (0 … 86399).
    static void DayAndSeconds(double oleDate, long long& days, long long& seconds);
    /// The same time of day `days` calendar days later, rounded to the second.
    static double AddDays(double oleDate, int days);
    /// A value that orders chronologically.
    static double ToLinear(double oleDate);
    static bool InRange(double oleDate);
    static bool IsLeapYear(int year);
    static int DaysInMonth(int year, int month);
};

} // namespace ole
