#pragma once

/// An OLE Automation date: days since 1899-12-30 in the integer part, the time of day in
/// the fraction (to the second), plus a status. Before 1899-12-30 the integer part counts
/// days backwards while the fraction still adds the time of day forwards, so -1.25 is
/// 1899-12-29 06:00. The calendar is the proleptic Gregorian one; the range is
/// 100-01-01 .. 9999-12-31.
class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    /// Valid, 1899-12-30 00:00:00.
    COleDateTime();
    /// Valid when the value lies within the supported range, invalid otherwise.
    explicit COleDateTime(double oleDate);
    /// Invalid when any part is out of range.
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    /// "Now" as the clock seam (ole::SetClock) reports it; the local time by default.
    static COleDateTime GetCurrentTime();

    /// Returns 0 and makes the value valid on success; 1 and status invalid otherwise.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day);

    // Calendar parts; -1 when the status is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    /// Sunday = 1 .. Saturday = 7.
    int GetDayOfWeek() const;
    /// 1 January = 1.
    int GetDayOfYear() const;

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    double GetOleDate() const { return m_dt; }

    /// The same time of day, `days` calendar days later (earlier when negative); invalid
    /// when the result leaves the supported range.
    COleDateTime AddDays(int days) const;

    double m_dt;
    DateTimeStatus m_status;
};

COleDateTime operator+(const COleDateTime& date, int days);
COleDateTime operator-(const COleDateTime& date, int days);

// Chronological comparisons (the raw double is not ordered before 1899-12-30).
bool operator==(const COleDateTime& a, const COleDateTime& b);
bool operator!=(const COleDateTime& a, const COleDateTime& b);
bool operator<(const COleDateTime& a, const COleDateTime& b);
bool operator<=(const COleDateTime& a, const COleDateTime& b);
bool operator>(const COleDateTime& a, const COleDateTime& b);
bool operator>=(const COleDateTime& a, const COleDateTime& b);
