// Which backups the rotation keeps, day after day on a fake clock.
#include "backup/BackupFolder.h"
#include "backup/BackupRotation.h"
#include "data/FormatDateTime.h"
#include "platform/ole/Clock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
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

TEST(RotationTest, BackupsAfterNowAreNeverDeleted) {
    // The clock was put back: the backups "from the future" say the clock is wrong.
    std::vector<COleDateTime> times;
    for (int i = 0; i < 12; ++i)
        times.push_back(COleDateTime(2026, 6, 1, 9, 0, 0) + i);
    const std::vector<bool> kept = CBackupRotation::Keep(times, COleDateTime(2026, 5, 1, 9, 0, 0));
    EXPECT_EQ(std::count(kept.begin(), kept.end(), true), 12);
}

// Backup files in a folder of their own, each with the time of its file.
class RotationFolderTest : public testing::Test {
protected:
    RotationFolderTest() {
        std::filesystem::create_directories(m_dir.Path() / CBackupFolder::kFolderName);
        std::ofstream((m_dir.Path() / "data.mdb").string()) << "ledger";
    }
    ~RotationFolderTest() override { ole::ResetClock(); }

    CBackupFolder Folder() const { return CBackupFolder((m_dir.Path() / "data.mdb").string()); }
    void Make(const COleDateTime& named, const COleDateTime& written) const {
        const std::string path =
            (std::filesystem::path(Folder().Folder()) / CBackupFolder::FileNameFor(named)).string();
        std::ofstream(path) << "backup";
        std::tm local{};
        local.tm_year = written.GetYear() - 1900;
        local.tm_mon = written.GetMonth() - 1;
        local.tm_mday = written.GetDay();
        local.tm_hour = written.GetHour();
        local.tm_min = written.GetMinute();
        local.tm_isdst = -1;
        std::filesystem::last_write_time(
            path, std::chrono::file_clock::from_sys(
                      std::chrono::system_clock::from_time_t(std::mktime(&local))));
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const BackupEntry& entry : Folder().List())
            names.insert(entry.name);
        return names;
    }

    testing_support::TempDir m_dir;
};

// Rotations after a start with the clock set back, and of backups whose names and files tell
// different orders.
TEST_F(RotationFolderTest, ABackupNewerByNameOrByFileStays) {
    const struct {
        const char* name;
        COleDateTime now;
        std::vector<std::pair<COleDateTime, COleDateTime>> backups; // named, written
        std::size_t deleted;
    } cases[] = {
        {"a start at 2000-01-01 after a year of backups", COleDateTime(2000, 1, 1, 9, 0, 0),
         [] {
             std::vector<std::pair<COleDateTime, COleDateTime>> backups;
             for (int month = 1; month <= 12; ++month)
                 for (int day = 1; day <= 3; ++day) {
                     const COleDateTime time(2024, month, day * 9, 20, 0, 0);
                     backups.emplace_back(time, time);
                 }
             return backups;
         }(),
         0},
        {"names older than their files", COleDateTime(2026, 3, 26, 9, 0, 0),
         [] {
             // Named 1 … 25 March; the first ten named were written last.
             std::vector<std::pair<COleDateTime, COleDateTime>> backups;
             for (int day = 1; day <= 25; ++day) {
                 const int written = day <= 10 ? 15 + day : day - 10;
                 backups.emplace_back(COleDateTime(2026, 3, day, 8, 0, 0),
                                      COleDateTime(2026, 3, written, 8, 0, 0));
             }
             return backups;
         }(),
         5}, // named 11 to 15 March: old by name and by file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const BackupEntry& entry : Folder().List())
            std::filesystem::remove(entry.path);
        for (const auto& [named, written] : c.backups)
            Make(named, written);
        ole::SetClock([now = c.now] { return now; });
        const std::set<std::string> before = Names();
        const std::vector<std::string> deleted = Folder().Rotate({});
        EXPECT_EQ(deleted.size(), c.deleted);
        EXPECT_EQ(Names().size(), before.size() - c.deleted);
        for (const std::string& path : deleted) {
            const std::string name = std::filesystem::path(path).filename().string();
            EXPECT_TRUE(name >= "data-20260311" && name < "data-20260316") << name;
        }
    }
}

} // namespace
