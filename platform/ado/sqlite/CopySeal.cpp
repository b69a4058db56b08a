#include "platform/ado/sqlite/CopySeal.h"

#include "platform/ado/DurableFile.h"
#include "platform/ado/PasswordStore.h"
#include "platform/ado/sqlite/LedgerCheck.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace ado {

using namespace ledger_check;

CopySeal::CopySeal(const std::string& dest, bool replace)
    : m_dest(dest), m_path(TemporaryCopyName(dest, static_cast<long>(::getpid()))),
      m_bReplace(replace) {
    Remove();
    if (const int error = durable::CreatePrivateFile(m_path)) {
        m_opened = Failure(ErrnoProblem(error), dest, m_path + ": " + std::strerror(error));
        return;
    }
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(m_path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK) {
        m_opened = Failure(WriteProblem(rc, raw), dest, sqlite3_errstr(rc));
        return;
    }
    sqlite3_extended_result_codes(raw, 1);
    // The copy counts only once it is flushed and renamed, so it needs no journal of its own.
    sqlite3_exec(raw, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
}

CopySeal::~CopySeal() {
    m_db.reset();
    if (!m_bKept)
        Remove();
}

void CopySeal::Remove() {
    ::unlink(m_path.c_str());
    ::unlink((m_path + "-journal").c_str());
}

LedgerCopyResult CopySeal::Seal(long long modified) {
    // A copy of an older ledger never keeps a password as plain text.
    if (const int rc = password_store::HashPlainRows(m_db.get()); rc != SQLITE_OK)
        return Failure(WriteProblem(rc, m_db.get()), m_path, sqlite3_errstr(rc));
    // The copy's pages are all written: the disk takes them while the check reads them
    // back, through a mapping of the copy rather than one system call per page.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int syncError = 0;
    double flushSeconds = 0;
    std::jthread flush([&] {
        syncError = durable::SyncFile(m_path);
        flushSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    });
    sqlite3_exec(m_db.get(), "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    LedgerCopyResult result = CheckOpenLedger(m_db.get(), m_path);
    result.times.check = std::chrono::duration<double>(Clock::now() - start).count();
    flush.join();
    result.times.flush = flushSeconds;
    if (!result.Ok())
        return result;
    if (sqlite3_close(m_db.release()) != SQLITE_OK)
        return Failure(CopyProblem::WriteFailed, m_dest, "The copy could not be closed.");
    if (syncError != 0)
        return Failure(ErrnoProblem(syncError), m_dest, std::strerror(syncError));
    if (modified != 0)
        durable::SetModificationTime(m_path, modified);
    if (const int error = durable::Rename(m_path, m_dest, m_bReplace))
        return Failure(error == EEXIST ? CopyProblem::DestinationTaken : ErrnoProblem(error), m_dest,
                       m_dest + ": " + std::strerror(error));
    m_bKept = true;
    durable::SyncFolder(std::filesystem::path(m_dest).parent_path().string());
    result.file = m_dest;
    return result;
}

} // namespace ado
