#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>

/// The amount and date cells of the result rows. A year's list has a hundred thousand rows
/// and the records of one hour share a date cell, so the last date text is kept and given
/// again while the dates stay within its hour; the texts are exactly those of "%0.1f" and
/// FormatDateTime.
class CInquiryRowFormatter {
public:
    explicit CInquiryRowFormatter(std::string strDatePattern);

    /// The amount as "%0.1f" writes it.
    static std::string Amount(double dAmount);
    /// FormatDateTime(date, pattern).
    const std::string& Date(const COleDateTime& date);

private:
    std::string m_strPattern;
    bool m_bHourly; // the pattern shows nothing finer than the hour
    long long m_nLastHour = -1;
    std::string m_strLast;
};
