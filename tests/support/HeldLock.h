#pragma once

#include <filesystem>

struct sqlite3;

namespace testing_support {

/// Another program holding the ledger: a second SQLite connection with an exclusive lock
/// on the file (nothing else can read or write it) until Release or destruction.
class HeldLock {
public:
    explicit HeldLock(const std::filesystem::path& file);
    ~HeldLock();
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    void Release();

private:
    sqlite3* m_db = nullptr;
};

} // namespace testing_support
