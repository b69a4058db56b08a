#include "platform/ado/StoredDate.h"

#include "platform/ole/OleCalendar.h"

#include <gtest/gtest.h>

#include <string>

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

// Texts read one after another, as a walk reads them: one that shares its day with the text
// before it must still be read whole (its own time, and refused when that time is not one).
TEST(StoredDateTest, ReadsEachTextWholeAfterOneOfTheSameDay) {
    const struct {
        const char* text;
        bool valid;
        int hour, minute, second;
    } cases[] = {
        {"1899-12-29 06:00:00", true, 6, 0, 0}, // before the epoch: the time counts backwards
        {"1899-12-29 18:30:15", true, 18, 30, 15},
        {"1899-12-29 24:00:00", false, 0, 0, 0},
        {"2024-02-29 10:00:00", true, 10, 0, 0},
        {"2024-02-29 23:60:00", false, 0, 0, 0},
        {"2024-02-29 23:59:5x", false, 0, 0, 0},
        {"2024-02-29 00:00:01", true, 0, 0, 1},
        {"2023-02-29 10:00:00", false, 0, 0, 0}, // no such day, after a valid one
        {"2023-02-29 11:00:00", false, 0, 0, 0},
        {"2023-03-01 11:00:00", true, 11, 0, 0},
    };
    for (const auto& c : cases) {
        double value = -1;
        const bool read = ado::StoredDate::Parse(c.text, value);
        EXPECT_EQ(read, c.valid) << c.text;
        if (!read || !c.valid)
            continue;
        const std::string text(c.text);
        const auto expected =
            ole::OleCalendar::Join(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                                   std::stoi(text.substr(8, 2)), c.hour, c.minute, c.second);
        ASSERT_TRUE(expected) << c.text;
        EXPECT_EQ(value, *expected) << c.text;
    }
}

} // namespace
