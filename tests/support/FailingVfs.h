#pragma once

namespace testing_support {

/// While it lives, every SQLite file opened by any connection goes through a file system
/// that can be told to fail: as a full disk (every write fails with SQLITE_FULL) or as a
/// damaged medium (every read fails with SQLITE_IOERR_READ). Until told, it passes every
/// call to the system's own.
class FailingVfs {
public:
    FailingVfs();
    ~FailingVfs();
    FailingVfs(const FailingVfs&) = delete;
    FailingVfs& operator=(const FailingVfs&) = delete;

    void SetDiskFull(bool full);
    void SetReadsFail(bool fail);
};

} // namespace testing_support
