#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>
#include <vector>

/// Which backups stay: the newest ten by the time in their names and the newest ten by
/// their files' times, the newest of each of the last twelve months (this one included), any
/// dated after now, and any the caller protects. Decided on the times alone.
class CBackupRotation {
public:
    static constexpr int kNewest = 10;
    static constexpr int kMonths = 12;

    /// A backup's two times: the one its name stands for and its file's. Backups of equal
    /// file times count newest first in the order given.
    struct Times {
        COleDateTime named;
        COleDateTime written;
    };

    /// One flag per backup, true to keep. `protectedIndexes` are kept whatever the times say.
    static std::vector<bool> Keep(const std::vector<Times>& backups, const COleDateTime& now,
                                  const std::vector<std::size_t>& protectedIndexes = {});
    /// The same for backups whose files carry the times of their names.
    static std::vector<bool> Keep(const std::vector<COleDateTime>& times, const COleDateTime& now,
                                  const std::vector<std::size_t>& protectedIndexes = {});

    /// A file's modification time in local time; an invalid time when it cannot be read.
    static COleDateTime FileTime(const std::string& path);
};
