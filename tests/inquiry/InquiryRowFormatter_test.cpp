#include "inquiry/InquiryRowFormatter.h"

#include "data/FormatDateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Printf(double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%0.1f", value);
    return text;
}

TEST(InquiryRowFormatter, AmountsAreThoseOfPrintf) {
    const double values[] = {0.0, -0.0, 12, 3.14, 0.05, 0.15, 0.25, 0.35, 2.45, -0.05, 99.95,
                             1500, 1e15 + 0.5, 123456789.05, -1234.55, 1e300,
                             std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()};
    for (double value : values)
        EXPECT_EQ(CInquiryRowFormatter::Amount(value), Printf(value)) << value;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> cents(-10000000, 10000000);
    for (int i = 0; i < 20000; ++i) {
        const double value = cents(random) / 100.0; // amounts as typed, with their binary error
        ASSERT_EQ(CInquiryRowFormatter::Amount(value), Printf(value)) << value;
    }
}

TEST(InquiryRowFormatter, DateCellsAreThoseOfFormatDateTimeInAnyOrder) {
    std::vector<COleDateTime> dates = {
        COleDateTime(2010, 11, 17, 9, 0, 0),   COleDateTime(2010, 11, 17, 9, 59, 59),
        COleDateTime(2010, 11, 17, 10, 0, 0),  COleDateTime(2010, 11, 17, 9, 30, 0),
        COleDateTime(2010, 11, 18, 9, 30, 0),  COleDateTime(2010, 12, 31, 23, 59, 59),
        COleDateTime(2011, 1, 1, 0, 0, 0),     COleDateTime(1899, 12, 29, 6, 0, 0),
        COleDateTime(1899, 12, 29, 7, 0, 0),   COleDateTime(1899, 12, 30, 0, 0, 0),
        COleDateTime(9999, 12, 31, 23, 59, 59)};
    COleDateTime null;
    null.SetStatus(COleDateTime::null);
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    dates.insert(dates.begin() + 2, null);
    dates.insert(dates.begin() + 1, invalid);
    // Half a second either side of an hour rounds as the calendar rounds it.
    dates.push_back(COleDateTime(COleDateTime(2010, 11, 17, 10, 0, 0).m_dt - 0.4 / 86400));
    dates.push_back(COleDateTime(COleDateTime(2010, 11, 17, 10, 0, 0).m_dt - 0.6 / 86400));
    std::mt19937 random(11);
    std::uniform_int_distribution<int> seconds(0, 3 * 86400);
    for (int i = 0; i < 5000; ++i)
        dates.push_back(COleDateTime(COleDateTime(2012, 2, 28, 0, 0, 0).m_dt + seconds(random) / 86400.0));

    for (const char* pattern : {"%Y-%m-%d %H时", "%Y-%m-%d %H", "%Y-%m-%d %H:%M", "%S", "%"}) {
        CInquiryRowFormatter formatter(pattern);
        for (const COleDateTime& date : dates) {
            // Twice in a row too: the kept text must be the right one.
            ASSERT_EQ(formatter.Date(date), FormatDateTime(date, pattern)) << pattern << " " << date.m_dt;
            ASSERT_EQ(formatter.Date(date), FormatDateTime(date, pattern)) << pattern << " " << date.m_dt;
        }
    }
}

} // namespace
