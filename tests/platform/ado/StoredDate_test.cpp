#include "platform/ado/StoredDate.h"

#include "platform/ole/OleCalendar.h"

#include <gtest/gtest.h>

namespace {

TEST(StoredDateTest, FormatsEveryPartWithItsZerosAndReadsItBack) {
    const struct {
        int year, month, day, hour, minute, second;
        const char* text;
    } cases[] = {
        {100, 1, 1, 0, 0, 0, "0100-01-01 00:00:00"},
        {1899, 12, 30, 0, 0, 0, "1899-12-30 00:00:00"},
        {1899, 12, 29, 6, 0, 0, "1899-12-29 06:00:00"},
        {2010, 11, 7, 9, 5, 3, "2010-11-07 09:05:03"},
        {2024, 2, 29, 23, 59, 59, "2024-02-29 23:59:59"},
        {9999, 12, 31, 23, 59, 59, "9999-12-31 23:59:59"},
    };
    for (const auto& c : cases) {
        const auto value =
            ole::OleCalendar::Join(c.year, c.month, c.day, c.hour, c.minute, c.second);
        ASSERT_TRUE(value) << c.text;
        std::string text = "left over";
        ASSERT_TRUE(ado::StoredDate::Format(*value, text));
        EXPECT_EQ(text, c.text);
        double back = 0;
        ASSERT_TRUE(ado::StoredDate::Parse(text, back));
        EXPECT_EQ(back, *value) << c.text;
    }
    std::string text;
    EXPECT_FALSE(ado::StoredDate::Format(ole::OleCalendar::kMaxDate + 1, text));
    EXPECT_FALSE(ado::StoredDate::Format(ole::OleCalendar::kMinDate - 1, text));
}

} // namespace
