// Which backups the rotation keeps, day after day on a fake clock.
#include "backup/BackupRotation.h"
#include "data/FormatDateTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

struct Scenario {
    const char* name;
    int year, month, day, hour;        // the first backup
    int count;                         // backups made, one per step
    double stepDays;                   // time between two backups
    std::size_t kept;                  // how many are left after the last one
    std::vector<const char*> keptDays; // some that must be there (YYYY-MM-DD HH)
    std::vector<const char*> goneDays; // some that must be gone
};

std::string Day(const COleDateTime& time) {
    return FormatDateTime(time, "%Y-%m-%d %H");
}

// The time of the n-th backup.
COleDateTime Nth(const Scenario& scenario, int n) {
    const COleDateTime first(scenario.year, scenario.month, scenario.day, scenario.hour, 0, 0);
    return COleDateTime(first.GetOleDate() + n * scenario.stepDays);
}

// Coffer starting once per step: a backup is made (and protected), then the folder rotated.
std::vector<COleDateTime> Simulate(const Scenario& scenario) {
    std::vector<COleDateTime> folder;
    for (int i = 0; i < scenario.count; ++i) {
        const COleDateTime now = Nth(scenario, i);
        folder.push_back(now);
        const std::vector<bool> keep = CBackupRotation::Keep(folder, now, {folder.size() - 1});
        std::vector<COleDateTime> kept;
        for (std::size_t j = 0; j < folder.size(); ++j)
            if (keep[j])
                kept.push_back(folder[j]);
        folder.swap(kept);
    }
    return folder;
}

const Scenario kScenarios[] = {
    {"FewDays", 2026, 1, 1, 9, 5, 1.0, 5, {"2026-01-01 09"}, {}},
    {"OneYearDaily",
     2026,
     1,
     1,
     9,
     365,
     1.0,
     21,
     {"2026-12-22 09", "2026-12-31 09", "2026-01-31 09", "2026-02-28 09", "2026-11-30 09"},
     {"2026-12-21 09", "2026-02-27 09", "2026-01-01 09"}},
    {"AcrossNewYear",
     2025,
     6,
     15,
     20,
     205,
     1.0,
     16,
     {"2025-06-30 20", "2025-07-31 20", "2025-11-30 20", "2025-12-27 20", "2026-01-05 20"},
     {"2025-06-29 20", "2025-12-26 20"}},
    {"TwoYearsDaily",
     2025,
     1,
     1,
     8,
     730,
     1.0,
     21,
     {"2026-01-31 08", "2026-12-31 08"},
     {"2025-12-31 08", "2025-01-31 08"}},
    {"SeveralADay",
     2026,
     2,
     20,
     0,
     480,
     1.0 / 12,
     11,
     {"2026-02-28 22", "2026-03-31 22", "2026-03-31 04"},
     {"2026-02-28 20", "2026-03-31 02"}},
    {"LeapFebruary",
     2028,
     2,
     1,
     12,
     44,
     1.0,
     11,
     {"2028-02-29 12", "2028-03-06 12", "2028-03-15 12"},
     {"2028-02-28 12", "2028-03-05 12"}},
    // A month of no use counts as a month all the same.
    {"MonthlyWithGaps", 2024, 1, 1, 10, 30, 30.5, 12, {}, {}},
};

class RotationTest : public testing::TestWithParam<Scenario> {};

TEST_P(RotationTest, KeepsTheNewestTenAndTheNewestOfEachOfTwelveMonths) {
    const Scenario& scenario = GetParam();
    const std::vector<COleDateTime> kept = Simulate(scenario);
    EXPECT_EQ(kept.size(), scenario.kept);
    std::set<std::string> days;
    for (const COleDateTime& time : kept)
        days.insert(Day(time));
    for (const char* day : scenario.keptDays)
        EXPECT_TRUE(days.count(day)) << day;
    for (const char* day : scenario.goneDays)
        EXPECT_FALSE(days.count(day)) << day;

    // Rotating day by day ends where one rotation of the whole history would.
    std::vector<COleDateTime> all;
    for (int i = 0; i < scenario.count; ++i)
        all.push_back(Nth(scenario, i));
    const std::vector<bool> once = CBackupRotation::Keep(all, all.back());
    std::set<std::string> onceDays;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (once[i])
            onceDays.insert(Day(all[i]));
    EXPECT_EQ(days, onceDays);
}

INSTANTIATE_TEST_SUITE_P(Clock, RotationTest, testing::ValuesIn(kScenarios),
                         [](const auto& scenario) { return std::string(scenario.param.name); });

TEST(RotationTest, AProtectedBackupStaysHoweverOld) {
    std::vector<COleDateTime> times;
    for (int i = 0; i < 40; ++i)
        times.push_back(COleDateTime(2026, 3, 1, 9, 0, 0) + i);
    times.push_back(COleDateTime(2019, 5, 5, 5, 5, 5));
    const COleDateTime now = times[39];
    const std::vector<bool> plain = CBackupRotation::Keep(times, now);
    EXPECT_FALSE(plain.back());
    EXPECT_FALSE(plain[5]);
    const std::vector<bool> kept = CBackupRotation::Keep(times, now, {times.size() - 1, 5});
    EXPECT_TRUE(kept.back());
    EXPECT_TRUE(kept[5]);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), true),
              std::count(plain.begin(), plain.end(), true) + 2);
}

TEST(RotationTest, BackupsAfterNowCountAmongTheNewest) {
    // The clock was put back: the backups "from the future" are still the newest ones.
    std::vector<COleDateTime> times;
    for (int i = 0; i < 12; ++i)
        times.push_back(COleDateTime(2026, 6, 1, 9, 0, 0) + i);
    const std::vector<bool> kept = CBackupRotation::Keep(times, COleDateTime(2026, 5, 1, 9, 0, 0));
    EXPECT_EQ(std::count(kept.begin(), kept.end(), true), 10);
    EXPECT_FALSE(kept[0]);
    EXPECT_FALSE(kept[1]);
    EXPECT_TRUE(kept[11]);
}

} // namespace
