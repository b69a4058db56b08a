#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTimePickerTest, StartsAtNowAndKeepsTheTimeOfDay) {
    ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 15); });
    ui::DateTimePicker picker;
    ole::ResetClock();
    COleDateTime value = picker.GetTime();
    EXPECT_EQ(value.GetYear(), 2010);
    EXPECT_EQ(value.GetDay(), 17);
    EXPECT_EQ(value.GetHour(), 9);
    EXPECT_EQ(value.GetMinute(), 30);
    EXPECT_EQ(value.GetSecond(), 15);

    // The user picks another day: the time of day stays.
    picker.setDate(QDate(2011, 2, 28));
    value = picker.GetTime();
    EXPECT_EQ(value.GetMonth(), 2);
    EXPECT_EQ(value.GetDay(), 28);
    EXPECT_EQ(value.GetHour(), 9);
    EXPECT_EQ(value.GetSecond(), 15);

    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    picker.SetTime(invalid);
    EXPECT_EQ(picker.GetTime().GetDay(), 28);
}

} // namespace
