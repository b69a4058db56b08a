#include "platform/ole/OleCalendar.h"

#include <cmath>

namespace ole {
namespace {

constexpr long long kSecondsPerDay = 86400;

// The calendar arithmetic is constexpr, so nothing here waits for static initialisation:
// a date made in another file's static initialiser is already right.

// Days since 1970-01-01 of a proleptic Gregorian date (era-based, exact for all years).
constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

constexpr long long kEpoch = DaysFromCivil(1899, 12, 30);
static_assert(kEpoch == -25569, "1899-12-30 lies 25,569 days before 1970-01-01");

constexpr bool RoundTrips(long long days) {
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) == days;
}
static_assert(RoundTrips(kEpoch) && RoundTrips(0) && RoundTrips(-719162) && RoundTrips(2932896));

} // namespace

bool OleCalendar::IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int OleCalendar::DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool OleCalendar::InRange(double oleDate) {
    if (!std::isfinite(oleDate))
        return false;
    const double linear = ToLinear(oleDate);
    return linear >= kMinDate && linear < kMaxDate + 1e-8;
}

double OleCalendar::ToLinear(double oleDate) {
    if (oleDate >= 0)
        return oleDate;
    const double whole = std::trunc(oleDate);
    return whole + (whole - oleDate);
}

// Days counted linearly from the epoch and the seconds into that day, rounded to the
// nearest second.
void OleCalendar::DayAndSeconds(double oleDate, long long& days, long long& seconds) {
    const long long total = std::llround(ToLinear(oleDate) * kSecondsPerDay);
    days = total / kSecondsPerDay;
    seconds = total % kSecondsPerDay;
    if (seconds < 0) {
        seconds += kSecondsPerDay;
        --days;
    }
}

std::optional<DateParts> OleCalendar::Split(double oleDate) {
    if (!InRange(oleDate))
        return std::nullopt;
    long long days = 0, seconds = 0;
    DayAndSeconds(oleDate, days, seconds);
    DateParts parts;
    const long long civil = days + kEpoch;
    CivilFromDays(civil, parts.year, parts.month, parts.day);
    if (parts.year > 9999)
        return std::nullopt;
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    // 1970-01-01 was a Thursday (5 with Sunday = 1).
    parts.dayOfWeek = static_cast<int>(((civil % 7 + 7) % 7 + 4) % 7) + 1;
    parts.dayOfYear = static_cast<int>(civil - DaysFromCivil(parts.year, 1, 1)) + 1;
    return parts;
}

std::optional<double> OleCalendar::Join(int year, int month, int day, int hour, int minute,
                                        int second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return std::nullopt;
    const long long days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch;
    return FromDayAndSeconds(days, hour * 3600 + minute * 60 + second);
}

double OleCalendar::FromDayAndSeconds(long long days, long long seconds) {
    const double time = static_cast<double>(seconds) / static_cast<double>(kSecondsPerDay);
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

double OleCalendar::AddDays(double oleDate, int days) {
    long long day = 0, seconds = 0;
    DayAndSeconds(oleDate, day, seconds);
    return FromDayAndSeconds(day + days, seconds);
}

} // namespace ole
