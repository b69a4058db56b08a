#include "tests/support/HeldLock.h"

#include <sqlite3.h>

#include <stdexcept>

namespace testing_support {

HeldLock::HeldLock(const std::filesystem::path& file) {
    if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(m_db);
        throw std::runtime_error("cannot lock " + file.string());
    }
}

HeldLock::~HeldLock() {
    Release();
}

void HeldLock::Release() {
    if (m_db == nullptr)
        return;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
    m_db = nullptr;
}

} // namespace testing_support
