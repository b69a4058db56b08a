#pragma once

#include "platform/ole/OleDateTime.h"

#include <vector>

/// Which backups stay: the newest ten, the newest of each of the last twelve months (this
/// one included), and any the caller protects. Decided on the times alone.
class CBackupRotation {
public:
    static constexpr int kNewest = 10;
    static constexpr int kMonths = 12;

    /// One flag per time, true to keep. `protectedIndexes` are kept whatever the times say.
    static std::vector<bool> Keep(const std::vector<COleDateTime>& times, const COleDateTime& now,
                                  const std::vector<std::size_t>& protectedIndexes = {});
};
