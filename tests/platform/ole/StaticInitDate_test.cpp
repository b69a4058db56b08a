// Dates made in a static initialiser of this file, which runs before (or after) the
// calendar's own file is initialised, depending on nothing but the link order.
#include "platform/ole/OleDateTime.h"

#include <gtest/gtest.h>

namespace {

const COleDateTime kMadeEarly(2026, 12, 7, 8, 30, 15);
const COleDateTime kEpochDay(1899, 12, 30, 0, 0, 0);
const COleDateTime kBeforeTheEpoch(1800, 1, 1, 12, 0, 0);
const COleDateTime kFirstDate(100, 1, 1, 0, 0, 0);
// And read back while still initialising.
const int kYearReadEarly = COleDateTime(46363.5).GetYear();
const int kDayReadEarly = COleDateTime(-36522.5).GetDay();

TEST(StaticInitDateTest, DatesMadeBeforeMainAreRight) {
    const struct {
        const COleDateTime& made;
        double expected;
    } cases[] = {
        {kMadeEarly, 46363.0 + (8 * 3600 + 30 * 60 + 15) / 86400.0},
        {kEpochDay, 0.0},
        {kBeforeTheEpoch, -36522.5},
        {kFirstDate, -657434.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.made.GetStatus(), COleDateTime::valid);
        EXPECT_NEAR(c.made.GetOleDate(), c.expected, 1e-9);
    }
    EXPECT_EQ(kYearReadEarly, 2026);
    EXPECT_EQ(kDayReadEarly, 1);
}

} // namespace
