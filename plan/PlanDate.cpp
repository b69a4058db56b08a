#include "plan/PlanDate.h"

#include <cstdio>

namespace {

// Days since 1970-01-01 of a civil date, and back (the era-based conversion).
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

} // namespace

CPlanDate::CPlanDate(int nYear, int nMonth, int nDay)
    : m_nYear(nYear), m_nMonth(nMonth), m_nDay(nDay),
      m_nSerial(DaysFromCivil(nYear, nMonth, nDay)) {
}

CPlanDate CPlanDate::FromSerial(long nSerial) {
    CPlanDate date;
    CivilFromDays(nSerial, date.m_nYear, date.m_nMonth, date.m_nDay);
    date.m_nSerial = nSerial;
    return date;
}

CPlanDate CPlanDate::FromDateTime(const COleDateTime& time) {
    return CPlanDate(time.GetYear(), time.GetMonth(), time.GetDay());
}

bool CPlanDate::Parse(const std::string& strText, CPlanDate& date) {
    int y = 0, m = 0, d = 0;
    char dash1 = 0, dash2 = 0;
    if (strText.size() != 10 ||
        std::sscanf(strText.c_str(), "%4d%c%2d%c%2d", &y, &dash1, &m, &dash2, &d) != 5 ||
        dash1 != '-' || dash2 != '-' || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    date = CPlanDate(y, m, d);
    return true;
}

int CPlanDate::Weekday() const {
    // 1970-01-01 was a Thursday.
    const long n = ((m_nSerial + 3) % 7 + 7) % 7;
    return static_cast<int>(n) + 1;
}

std::string CPlanDate::Text() const {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", m_nYear, m_nMonth, m_nDay);
    return text;
}

COleDateTime CPlanDate::AtHour(int nHour) const {
    return COleDateTime(m_nYear, m_nMonth, m_nDay, nHour, 0, 0);
}

bool CPlanDate::IsLeapYear(int nYear) {
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

int CPlanDate::DaysInMonth(int nYear, int nMonth) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return nMonth == 2 && IsLeapYear(nYear) ? 29 : kDays[nMonth - 1];
}
