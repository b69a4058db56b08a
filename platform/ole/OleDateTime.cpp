#include "platform/ole/OleDateTime.h"

#include "platform/ole/Clock.h"
#include "platform/ole/OleCalendar.h"

namespace {

using ole::OleCalendar;

std::optional<ole::DateParts> PartsOf(const COleDateTime& date) {
    if (date.m_status != COleDateTime::valid)
        return std::nullopt;
    return OleCalendar::Split(date.m_dt);
}

} // namespace

COleDateTime::COleDateTime() : m_dt(0.0), m_status(valid) {}

COleDateTime::COleDateTime(double oleDate)
    : m_dt(oleDate), m_status(OleCalendar::InRange(oleDate) ? valid : invalid) {}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
    : m_dt(0.0), m_status(valid) {
    SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime COleDateTime::GetCurrentTime() {
    return ole::Now();
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
    const auto value = OleCalendar::Join(year, month, day, hour, minute, second);
    if (!value) {
        m_status = invalid;
        return 1;
    }
    m_dt = *value;
    m_status = valid;
    return 0;
}

int COleDateTime::SetDate(int year, int month, int day) {
    return SetDateTime(year, month, day, 0, 0, 0);
}

int COleDateTime::GetYear() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->year : -1;
}

int COleDateTime::GetMonth() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->month : -1;
}

int COleDateTime::GetDay() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->day : -1;
}

int COleDateTime::GetHour() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->hour : -1;
}

int COleDateTime::GetMinute() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->minute : -1;
}

int COleDateTime::GetSecond() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->second : -1;
}

int COleDateTime::GetDayOfWeek() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->dayOfWeek : -1;
}

int COleDateTime::GetDayOfYear() const {
    const auto parts = PartsOf(*this);
    return parts ? parts->dayOfYear : -1;
}

COleDateTime COleDateTime::AddDays(int days) const {
    COleDateTime result(OleCalendar::AddDays(m_dt, days));
    if (m_status != valid)
        result.m_status = m_status;
    return result;
}

COleDateTime operator+(const COleDateTime& date, int days) {
    return date.AddDays(days);
}

COleDateTime operator-(const COleDateTime& date, int days) {
    return date.AddDays(-days);
}

bool operator==(const COleDateTime& a, const COleDateTime& b) {
    return a.m_status == b.m_status && OleCalendar::ToLinear(a.m_dt) == OleCalendar::ToLinear(b.m_dt);
}

bool operator!=(const COleDateTime& a, const COleDateTime& b) {
    return !(a == b);
}

bool operator<(const COleDateTime& a, const COleDateTime& b) {
    return OleCalendar::ToLinear(a.m_dt) < OleCalendar::ToLinear(b.m_dt);
}

bool operator<=(const COleDateTime& a, const COleDateTime& b) {
    return !(b < a);
}

bool operator>(const COleDateTime& a, const COleDateTime& b) {
    return b < a;
}

bool operator>=(const COleDateTime& a, const COleDateTime& b) {
    return !(a < b);
}
