#include "platform/ole/DateTimeParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Accepted {
    const char* text;
    int year, month, day, hour, minute, second;
};

const Accepted kAccepted[] = {
    {"2010-11-13", 2010, 11, 13, 0, 0, 0},
    {"2010-11-13 07:17:07", 2010, 11, 13, 7, 17, 7},
    {"2010-11-13 07:17", 2010, 11, 13, 7, 17, 0},
    {"2010/11/13", 2010, 11, 13, 0, 0, 0},
    {"2010/11/13 23:59:59", 2010, 11, 13, 23, 59, 59},
    {"2010/1/3 7:05", 2010, 1, 3, 7, 5, 0},
    {"2010-1-3", 2010, 1, 3, 0, 0, 0},
    {"2010-11-13 07\xE6\x97\xB6", 2010, 11, 13, 7, 0, 0},
    {"2010-11-13 7", 2010, 11, 13, 7, 0, 0},
    {"2010-11-13 23", 2010, 11, 13, 23, 0, 0},
    {"  2012-02-29 00:00:00\t", 2012, 2, 29, 0, 0, 0},
    {"07:17", 1899, 12, 30, 7, 17, 0},
    {"7:17:07", 1899, 12, 30, 7, 17, 7},
    {"1899-12-29 06:00", 1899, 12, 29, 6, 0, 0},
};

TEST(DateTimeParserTest, AcceptsTheFormsTheProgramWrites) {
    for (const auto& c : kAccepted) {
        SCOPED_TRACE(c.text);
        COleDateTime value(5.0);
        ASSERT_TRUE(ole::ParseDateTime(c.text, value));
        EXPECT_EQ(value.GetStatus(), COleDateTime::valid);
        EXPECT_EQ(value.GetYear(), c.year);
        EXPECT_EQ(value.GetMonth(), c.month);
        EXPECT_EQ(value.GetDay(), c.day);
        EXPECT_EQ(value.GetHour(), c.hour);
        EXPECT_EQ(value.GetMinute(), c.minute);
        EXPECT_EQ(value.GetSecond(), c.second);
    }
}

TEST(DateTimeParserTest, RejectsOtherTextsAndLeavesTheTargetAlone) {
    const char* rejected[] = {
        "", "   ", "abc", "9", "10", "100", "10.5", "2010", "2010-11", "2010-02-30",
        "1900-02-29", "2010-13-01", "2010-11-13x", "2010-11/13", "2010-11-13 24",
        "2010-11-13 07:60", "2010-11-13 07:17:60", "2010-11-13 07:", "2010-11-13 07:17:07:01",
        "25:00", "7", "7\xE6\x97\xB6", "2010-011-13",
        "-2010-11-13", "20100-11-13", "2010-11-13 07时x", "0099-12-31",
    };
    for (const char* text : rejected) {
        SCOPED_TRACE(text);
        COleDateTime value(5.0);
        EXPECT_FALSE(ole::ParseDateTime(text, value));
        EXPECT_EQ(value.GetOleDate(), 5.0);
        EXPECT_EQ(value.GetStatus(), COleDateTime::valid);
    }
}

TEST(DateTimeParserTest, OrdersListCellsChronologically) {
    COleDateTime a;
    COleDateTime b;
    ASSERT_TRUE(ole::ParseDateTime("2010-11-13 07\xE6\x97\xB6", a));
    ASSERT_TRUE(ole::ParseDateTime("2010-11-13 10\xE6\x97\xB6", b));
    EXPECT_TRUE(a < b);
}

} // namespace
