#pragma once

#include <string>

namespace testing_support {

/// While it lives, every SQLite file opened by any connection goes through a file system
/// that can be told to fail the way a household's disks do. Until told, it passes every
/// call to the system's own. Unlike file modes, this works for root too.
class FailingVfs {
public:
    enum class Fault {
        None,
        DiskFull,       // every write fails with SQLITE_FULL
        ReadsFail,      // every read fails with SQLITE_IOERR_READ
        ReadOnlyFile,   // a database file opened from now on can only be read
        ReadOnlyFolder, // no journal can be created beside the database
    };

    FailingVfs();
    ~FailingVfs();
    FailingVfs(const FailingVfs&) = delete;
    FailingVfs& operator=(const FailingVfs&) = delete;

    /// The fault hits files opened from now on whose path begins with `under` (every file
    /// when empty): a full or read-only backup folder beside a ledger that still writes.
    void Set(Fault fault, const std::string& under = {});
    void SetDiskFull(bool full) { Set(full ? Fault::DiskFull : Fault::None); }
};

} // namespace testing_support
