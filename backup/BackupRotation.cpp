#include "backup/BackupRotation.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <numeric>

namespace {

using Times = CBackupRotation::Times;

// Marks the newest kNewest backups by one of their times.
void KeepNewest(const std::vector<Times>& backups, COleDateTime Times::*time,
                std::vector<bool>& keep) {
    std::vector<std::size_t> newestFirst(backups.size());
    std::iota(newestFirst.begin(), newestFirst.end(), 0);
    std::stable_sort(newestFirst.begin(), newestFirst.end(), [&](std::size_t a, std::size_t b) {
        return backups[a].*time > backups[b].*time;
    });
    for (std::size_t i = 0;
         i < newestFirst.size() && i < static_cast<std::size_t>(CBackupRotation::kNewest); ++i)
        keep[newestFirst[i]] = true;
}

} // namespace

std::vector<bool> CBackupRotation::Keep(const std::vector<Times>& backups,
                                        const COleDateTime& now,
                                        const std::vector<std::size_t>& protectedIndexes) {
    std::vector<bool> keep(backups.size(), false);
    // A name can lie about the order (a clock set back names new backups as old ones), and
    // so can a file's time (a copy): the newest by either stay.
    KeepNewest(backups, &Times::named, keep);
    KeepNewest(backups, &Times::written, keep);
    // A backup named after now says the clock is wrong, not that the backup is old. (A
    // file's time may well be after the clock's: a backup carries its ledger's.)
    for (std::size_t i = 0; i < backups.size(); ++i)
        if (backups[i].named > now)
            keep[i] = true;
    // Months are counted on the calendar: this month and the eleven before it.
    int year = now.GetYear();
    int month = now.GetMonth();
    for (int m = 0; m < kMonths; ++m) {
        std::size_t newest = backups.size();
        for (std::size_t i = 0; i < backups.size(); ++i) {
            const COleDateTime& named = backups[i].named;
            if (named.GetYear() == year && named.GetMonth() == month &&
                (newest == backups.size() || named > backups[newest].named))
                newest = i;
        }
        if (newest != backups.size())
            keep[newest] = true;
        if (--month == 0) {
            month = 12;
            --year;
        }
    }
    for (std::size_t index : protectedIndexes)
        if (index < keep.size())
            keep[index] = true;
    return keep;
}

std::vector<bool> CBackupRotation::Keep(const std::vector<COleDateTime>& times,
                                        const COleDateTime& now,
                                        const std::vector<std::size_t>& protectedIndexes) {
    std::vector<Times> backups;
    for (const COleDateTime& time : times)
        backups.push_back({time, time});
    return Keep(backups, now, protectedIndexes);
}

COleDateTime CBackupRotation::FileTime(const std::string& path) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(path, ec);
    COleDateTime time;
    if (ec) {
        time.SetStatus(COleDateTime::invalid);
        return time;
    }
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(written)));
    std::tm local{};
    localtime_r(&seconds, &local);
    return COleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec);
}
