#include "platform/ole/Clock.h"
#include "platform/ole/OleDateTime.h"

#include <gtest/gtest.h>

namespace {

struct CalendarCase {
    double ole;
    int year, month, day, hour, minute, second;
    int dayOfWeek, dayOfYear;
};

// Values checked against the OLE convention: day 0 is Saturday 1899-12-30, day 1 is
// Sunday 1899-12-31, day 2 is Monday 1900-01-01; 1900 is not a leap year.
const CalendarCase kCalendar[] = {
    {0.0, 1899, 12, 30, 0, 0, 0, 7, 364},
    {1.0, 1899, 12, 31, 0, 0, 0, 1, 365},
    {2.0, 1900, 1, 1, 0, 0, 0, 2, 1},
    {61.0, 1900, 3, 1, 0, 0, 0, 5, 60},
    {60.0, 1900, 2, 28, 0, 0, 0, 4, 59},
    {0.5, 1899, 12, 30, 12, 0, 0, 7, 364},
    {-1.0, 1899, 12, 29, 0, 0, 0, 6, 363},
    {-1.25, 1899, 12, 29, 6, 0, 0, 6, 363},
    {-2.5, 1899, 12, 28, 12, 0, 0, 5, 362},
    {36526.0, 2000, 1, 1, 0, 0, 0, 7, 1},
    {36585.0, 2000, 2, 29, 0, 0, 0, 3, 60},
    {40495.0 + (7 * 3600 + 17 * 60 + 7) / 86400.0, 2010, 11, 13, 7, 17, 7, 7, 317},
    {2958465.0, 9999, 12, 31, 0, 0, 0, 6, 365},
    {-657434.0, 100, 1, 1, 0, 0, 0, 6, 1},
};

TEST(OleDateTimeTest, SplitsAndJoinsKnownDates) {
    for (const auto& c : kCalendar) {
        SCOPED_TRACE(c.ole);
        const COleDateTime fromDouble(c.ole);
        ASSERT_EQ(fromDouble.GetStatus(), COleDateTime::valid);
        EXPECT_EQ(fromDouble.GetYear(), c.year);
        EXPECT_EQ(fromDouble.GetMonth(), c.month);
        EXPECT_EQ(fromDouble.GetDay(), c.day);
        EXPECT_EQ(fromDouble.GetHour(), c.hour);
        EXPECT_EQ(fromDouble.GetMinute(), c.minute);
        EXPECT_EQ(fromDouble.GetSecond(), c.second);
        EXPECT_EQ(fromDouble.GetDayOfWeek(), c.dayOfWeek);
        EXPECT_EQ(fromDouble.GetDayOfYear(), c.dayOfYear);

        const COleDateTime fromParts(c.year, c.month, c.day, c.hour, c.minute, c.second);
        ASSERT_EQ(fromParts.GetStatus(), COleDateTime::valid);
        EXPECT_NEAR(fromParts.GetOleDate(), c.ole, 1e-9);
    }
}

TEST(OleDateTimeTest, RoundTripsEverySecondOfADayAcrossTheEpoch) {
    for (int day : {-3, -1, 0, 1, 40495}) {
        const COleDateTime base(COleDateTime(0.0).AddDays(day));
        for (int s = 0; s < 86400; s += 7) {
            const COleDateTime value(base.GetYear(), base.GetMonth(), base.GetDay(), s / 3600,
                                     s / 60 % 60, s % 60);
            ASSERT_EQ(value.GetHour() * 3600 + value.GetMinute() * 60 + value.GetSecond(), s);
            ASSERT_EQ(value.GetDay(), base.GetDay());
        }
    }
}

TEST(OleDateTimeTest, RoundsToTheNearestSecond) {
    const double second = 1.0 / 86400;
    EXPECT_EQ(COleDateTime(0.4 * second).GetSecond(), 0);
    EXPECT_EQ(COleDateTime(0.6 * second).GetSecond(), 1);
    // Just short of midnight rounds into the next day.
    const COleDateTime late(1.0 - 0.2 * second);
    EXPECT_EQ(late.GetDay(), 31);
    EXPECT_EQ(late.GetHour(), 0);
    const COleDateTime lateNegative(-1.0 - (1.0 - 0.2 * second));
    EXPECT_EQ(lateNegative.GetDay(), 30);
    EXPECT_EQ(lateNegative.GetHour(), 0);
}

TEST(OleDateTimeTest, RejectsOutOfRangeParts) {
    const int bad[][6] = {
        {2010, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {2010, 13, 1, 0, 0, 0},
        {2010, 0, 1, 0, 0, 0},  {2010, 4, 31, 0, 0, 0}, {2010, 1, 1, 24, 0, 0},
        {2010, 1, 1, 0, 60, 0}, {2010, 1, 1, 0, 0, 60}, {99, 12, 31, 0, 0, 0},
        {10000, 1, 1, 0, 0, 0}, {2010, 1, 0, 0, 0, 0},  {2010, 1, 1, -1, 0, 0},
    };
    for (const auto& p : bad) {
        COleDateTime value;
        EXPECT_EQ(value.SetDateTime(p[0], p[1], p[2], p[3], p[4], p[5]), 1);
        EXPECT_EQ(value.GetStatus(), COleDateTime::invalid);
        EXPECT_EQ(value.GetYear(), -1);
    }
    COleDateTime leap;
    EXPECT_EQ(leap.SetDate(2000, 2, 29), 0);
    EXPECT_EQ(leap.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(COleDateTime(2958466.0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(-657435.0).GetStatus(), COleDateTime::invalid);
}

TEST(OleDateTimeTest, AddDaysCrossesMonthYearAndEpoch) {
    struct Case {
        int y, mo, d, add, ey, emo, ed;
    };
    const Case cases[] = {
        {2010, 1, 31, 1, 2010, 2, 1},   {2010, 12, 31, 1, 2011, 1, 1},
        {2012, 2, 28, 1, 2012, 2, 29},  {2011, 2, 28, 1, 2011, 3, 1},
        {2011, 1, 1, -1, 2010, 12, 31}, {1899, 12, 31, -3, 1899, 12, 28},
        {1899, 12, 28, 5, 1900, 1, 2},  {2010, 11, 13, 365, 2011, 11, 13},
    };
    for (const auto& c : cases) {
        const COleDateTime start(c.y, c.mo, c.d, 6, 30, 15);
        const COleDateTime moved = start + c.add;
        EXPECT_EQ(moved.GetYear(), c.ey);
        EXPECT_EQ(moved.GetMonth(), c.emo);
        EXPECT_EQ(moved.GetDay(), c.ed);
        EXPECT_EQ(moved.GetHour(), 6);
        EXPECT_EQ(moved.GetMinute(), 30);
        EXPECT_EQ(moved.GetSecond(), 15);
        EXPECT_EQ(moved - c.add, start);
    }
    EXPECT_EQ(COleDateTime(9999, 12, 31, 0, 0, 0).AddDays(1).GetStatus(), COleDateTime::invalid);
}

TEST(OleDateTimeTest, ComparesChronologicallyBeforeTheEpoch) {
    const COleDateTime morning(1899, 12, 29, 6, 0, 0); // -1.25
    const COleDateTime midnight(1899, 12, 29, 0, 0, 0); // -1.0
    EXPECT_DOUBLE_EQ(morning.GetOleDate(), -1.25);
    EXPECT_TRUE(midnight < morning);
    EXPECT_TRUE(morning > midnight);
    EXPECT_TRUE(morning <= morning);
    EXPECT_TRUE(morning >= midnight);
    EXPECT_FALSE(morning == midnight);
    EXPECT_TRUE(COleDateTime(2010, 1, 1, 0, 0, 0) > morning);
}

TEST(OleDateTimeTest, CurrentTimeFollowsTheClockSeam) {
    ole::SetClock([] { return COleDateTime(2010, 11, 13, 7, 17, 7); });
    EXPECT_EQ(COleDateTime::GetCurrentTime(), COleDateTime(2010, 11, 13, 7, 17, 7));
    ole::ResetClock();
    const COleDateTime now = COleDateTime::GetCurrentTime();
    EXPECT_EQ(now.GetStatus(), COleDateTime::valid);
    EXPECT_GE(now.GetYear(), 2024);
}

} // namespace
