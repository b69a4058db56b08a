#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>

/// A calendar day of the proleptic Gregorian calendar, counted as days since 1970-01-01 so
/// that rules can step through years of them cheaply.
class CPlanDate {
public:
    CPlanDate() = default;
    CPlanDate(int nYear, int nMonth, int nDay);
    static CPlanDate FromSerial(long nSerial);
    /// The day of a date-time; the time of day is dropped.
    static CPlanDate FromDateTime(const COleDateTime& time);
    /// "YYYY-MM-DD"; false for any other text or a day that does not exist.
    static bool Parse(const std::string& strText, CPlanDate& date);

    int Year() const { return m_nYear; }
    int Month() const { return m_nMonth; }
    int Day() const { return m_nDay; }
    long Serial() const { return m_nSerial; }
    /// 1 for Monday to 7 for Sunday.
    int Weekday() const;
    std::string Text() const;
    /// The day at `nHour`:00:00.
    COleDateTime AtHour(int nHour) const;

    static bool IsLeapYear(int nYear);
    static int DaysInMonth(int nYear, int nMonth);

    friend bool operator==(const CPlanDate& a, const CPlanDate& b) {
        return a.m_nSerial == b.m_nSerial;
    }
    friend bool operator<(const CPlanDate& a, const CPlanDate& b) {
        return a.m_nSerial < b.m_nSerial;
    }
    friend bool operator<=(const CPlanDate& a, const CPlanDate& b) {
        return a.m_nSerial <= b.m_nSerial;
    }

private:
    int m_nYear = 1970;
    int m_nMonth = 1;
    int m_nDay = 1;
    long m_nSerial = 0;
};
