#include "backup/BackupRotation.h"

#include <algorithm>
#include <numeric>

std::vector<bool> CBackupRotation::Keep(const std::vector<COleDateTime>& times,
                                        const COleDateTime& now,
                                        const std::vector<std::size_t>& protectedIndexes) {
    std::vector<std::size_t> newestFirst(times.size());
    std::iota(newestFirst.begin(), newestFirst.end(), 0);
    std::stable_sort(newestFirst.begin(), newestFirst.end(),
                     [&](std::size_t a, std::size_t b) { return times[a] > times[b]; });
    std::vector<bool> keep(times.size(), false);
    for (std::size_t i = 0; i < newestFirst.size() && i < static_cast<std::size_t>(kNewest); ++i)
        keep[newestFirst[i]] = true;
    // Months are counted on the calendar: this month and the eleven before it.
    int year = now.GetYear();
    int month = now.GetMonth();
    for (int m = 0; m < kMonths; ++m) {
        const auto newestOfMonth =
            std::find_if(newestFirst.begin(), newestFirst.end(), [&](std::size_t i) {
                return times[i].GetYear() == year && times[i].GetMonth() == month;
            });
        if (newestOfMonth != newestFirst.end())
            keep[*newestOfMonth] = true;
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
