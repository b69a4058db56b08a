#include "platform/ado/LedgerCopy.h"

#include "platform/ado/DurableFile.h"
#include "platform/ado/LedgerFile.h"
#include "platform/ado/sqlite/CopySeal.h"
#include "platform/ado/sqlite/LedgerCheck.h"
#include "platform/ado/sqlite/SchemaCheck.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>
#include <unistd.h>

namespace ado {
namespace {

using namespace ledger_check;

constexpr int kBusyTimeoutMs = 3000;
// A backup waits longer than a write: it is not in a user's way while it waits.
constexpr int kBackupWaitMs = 10000;
// Pages per step: 4 MB of 4 KB pages between two progress reports.
constexpr int kPagesPerStep = 1024;
constexpr int kRetryPauseMs = 50;

// Opens without creating; the flags say read-only or read-write.
int OpenDatabase(const std::string& path, int flags, DatabasePtr& db) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    db.reset(raw);
    if (rc == SQLITE_OK)
        sqlite3_extended_result_codes(raw, 1);
    return rc;
}

// A writer at work takes its lock again right after each commit; SQLite's own waiting,
// which sleeps longer the longer it waits, would rarely find the moment in between. So the
// copy asks again every half millisecond, up to the timeout.
constexpr int kPollMicroseconds = 500;

int PollWhileBusy(void* timeoutMs, int count) {
    const long long limit = reinterpret_cast<std::intptr_t>(timeoutMs) * 1000 / kPollMicroseconds;
    if (count >= limit)
        return 0;
    ::usleep(kPollMicroseconds);
    return 1;
}

void WaitForLocks(sqlite3* db, int timeoutMs) {
    sqlite3_busy_handler(db, &PollWhileBusy,
                         reinterpret_cast<void*>(static_cast<std::intptr_t>(timeoutMs)));
}

// Runs an SQL text; SQLite's result code.
int Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Copies every page of `src` into `dst`. Busy steps are retried until `deadline`.
int CopyPages(sqlite3* dst, sqlite3* src, int pagesPerStep, const CopyProgress& progress,
              std::chrono::steady_clock::time_point deadline, bool& cancelled) {
    sqlite3_backup* backup = sqlite3_backup_init(dst, "main", src, "main");
    if (backup == nullptr)
        return sqlite3_extended_errcode(dst);
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED)) {
            if (std::chrono::steady_clock::now() >= deadline)
                break;
            sqlite3_sleep(kRetryPauseMs);
            continue;
        }
        if ((rc == SQLITE_OK || rc == SQLITE_DONE) && progress) {
            const int total = sqlite3_backup_pagecount(backup);
            if (!progress(total - sqlite3_backup_remaining(backup), total)) {
                cancelled = true;
                break;
            }
        }
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE)
        return finished;
    return rc == SQLITE_OK ? finished : rc;
}

// Whether `db` keeps its changes in a write-ahead log: then its file alone is not the ledger.
bool InWalMode(sqlite3* db) {
    bool wal = true; // unknown counts as the careful case
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA main.journal_mode", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        const auto* mode = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        wal = mode == nullptr || sqlite3_stricmp(mode, "wal") == 0;
    }
    sqlite3_finalize(statement);
    return wal;
}

long long PragmaNumber(sqlite3* db, const char* sql) {
    long long value = 0;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

sqlite3_file* MainFile(sqlite3* db) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK)
        return nullptr;
    return file != nullptr && file->pMethods != nullptr ? file : nullptr;
}

// Why copying the blocks stopped: reading the ledger, or writing the copy (with the errno
// read right after the write).
struct BlockFailure {
    int rc = SQLITE_OK;
    bool reading = false;
    int error = 0;
};

// Copies the ledger's pages as they lie in its file, in large blocks through SQLite's file
// layer of either side (so the file system's faults reach us as they reach SQLite), instead of
// page by page through both pagers. Sound only while `src` holds a read transaction on a
// ledger with a rollback journal: its shared lock keeps every writer out of the file, and a
// journal a dead writer left was rolled back when the lock was taken. The page count is the
// pager's, which honours the size written in the header. `dst` must not have read its file
// yet; it sees the new contents by the header's change counter, as after another writer.
// SQLite's Unix file layer writes at most 128 KB less a byte at a time (it takes a larger
// write for a full disk): 64 KB, a whole number of pages of every page size.
constexpr int kWriteBytes = 65536;

BlockFailure CopyFileBlocks(sqlite3* dst, sqlite3* src, const CopyProgress& progress,
                            bool& cancelled) {
    BlockFailure failure;
    sqlite3_file* from = MainFile(src);
    sqlite3_file* to = MainFile(dst);
    const long long pageSize = PragmaNumber(src, "PRAGMA main.page_size");
    const long long pages = PragmaNumber(src, "PRAGMA main.page_count");
    if (from == nullptr || to == nullptr || pageSize <= 0) {
        failure = {SQLITE_IOERR, true, 0};
        return failure;
    }
    // SQLite opens a file it may not write read-only and then refuses every write, as here.
    if (sqlite3_db_readonly(dst, "main") != 0) {
        failure.rc = SQLITE_READONLY;
        return failure;
    }
    std::vector<unsigned char> block(static_cast<std::size_t>(pageSize) * kPagesPerStep);
    for (long long done = 0; done < pages;) {
        const long long count = std::min<long long>(kPagesPerStep, pages - done);
        const int bytes = static_cast<int>(count * pageSize);
        const sqlite3_int64 offset = done * pageSize;
        // A file shorter than its header says reads as zeros, as SQLite reads it; the check
        // of the copy then judges it.
        int rc = from->pMethods->xRead(from, block.data(), bytes, offset);
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) {
            failure = {rc, true, 0};
            return failure;
        }
        for (int at = 0; at < bytes; at += kWriteBytes) {
            errno = 0;
            rc = to->pMethods->xWrite(to, block.data() + at, std::min(kWriteBytes, bytes - at),
                                      offset + at);
            if (rc != SQLITE_OK) {
                failure = {rc, false, errno};
                return failure;
            }
        }
        done += count;
        if (progress && !progress(done, pages)) {
            cancelled = true;
            return failure;
        }
    }
    return failure;
}

} // namespace

std::string TemporaryCopyName(const std::string& dest, long processId) {
    const std::filesystem::path path(dest);
    const std::string name = std::string(".")
                                 .append(path.filename().string())
                                 .append(".")
                                 .append(std::to_string(processId))
                                 .append(".part");
    return (path.parent_path() / name).string();
}

LedgerCopyResult VerifyLedgerFile(const std::string& path) {
    std::string detail;
    const CopyProblem onDisk = CheckOnDisk(path, detail);
    if (onDisk != CopyProblem::None)
        return Failure(onDisk, path, detail);
    DatabasePtr db;
    const int rc = OpenDatabase(path, SQLITE_OPEN_READONLY, db);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, path), path, sqlite3_errstr(rc));
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    return CheckOpenLedger(db.get(), path);
}

LedgerCopyResult VerifyRestorableBackup(const std::string& path) {
    LedgerCopyResult result = VerifyLedgerFile(path);
    if (!result.Ok())
        return result;
    DatabasePtr db;
    int rc = OpenDatabase(path, SQLITE_OPEN_READONLY, db);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, path), path, sqlite3_errstr(rc));
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    const SchemaFinding finding = CheckSchema(db.get(), SchemaRule::Restore, rc);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, path), path, sqlite3_errmsg(db.get()));
    if (!finding.Ok())
        return Failure(CopyProblem::ForeignSchema, path, finding.Describe());
    return result;
}

LedgerCopyResult ReadLedgerCounts(const std::string& path) {
    LedgerCopyResult result;
    result.file = path;
    DatabasePtr db;
    if (CheckOnDisk(path, result.detail) != CopyProblem::None ||
        OpenDatabase(path, SQLITE_OPEN_READONLY, db) != SQLITE_OK)
        return result;
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    ReadCounts(db.get(), result);
    return result;
}

LedgerCopyResult BackupLedgerFile(const std::string& source, const std::string& dest, bool replace,
                                  const CopyProgress& progress) {
    std::string detail;
    const CopyProblem onDisk = CheckOnDisk(source, detail);
    if (onDisk != CopyProblem::None)
        return Failure(onDisk, source, detail);
    // Read-write like any user of the ledger, so that a journal left by a writer that died
    // is rolled back before its pages are read.
    DatabasePtr src;
    int rc = OpenDatabase(source, SQLITE_OPEN_READWRITE, src);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, source), source, sqlite3_errstr(rc));
    WaitForLocks(src.get(), kBackupWaitMs);
    // One read transaction for the whole copy: writers wait for it instead of restarting
    // the copy, and the copy is the ledger as it was at one moment.
    Exec(src.get(), "BEGIN");
    int readRc = SQLITE_OK;
    if (ClassifyLedger(src.get(), readRc) == LedgerKind::Foreign)
        return readRc == SQLITE_OK
                   ? Failure(CopyProblem::NotALedger, source,
                             "The file '" + source + "' is not a Coffer data file.")
                   : Failure(ReadProblem(readRc, source), source, sqlite3_errstr(readRc));
    long long modified = 0;
    durable::ReadModificationTime(source, modified);

    CopySeal copy(dest, replace);
    if (!copy.Opened().Ok())
        return copy.Opened();
    bool cancelled = false;
    const auto copyStart = std::chrono::steady_clock::now();
    BlockFailure blocks;
    // A ledger in WAL mode has pages in its log that its file lacks: SQLite's online backup
    // reads them through the pager.
    if (InWalMode(src.get()))
        rc = CopyPages(copy.Db(), src.get(), kPagesPerStep, progress, copyStart, cancelled);
    else
        rc = (blocks = CopyFileBlocks(copy.Db(), src.get(), progress, cancelled)).rc;
    const double copySeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - copyStart).count();
    Exec(src.get(), "COMMIT");
    if (cancelled)
        return Failure(CopyProblem::Cancelled, dest, "The backup was cancelled.");
    if (blocks.rc != SQLITE_OK) {
        if (blocks.reading)
            return Failure(CopyProblem::LedgerDamaged, source, sqlite3_errstr(blocks.rc));
        const CopyProblem problem =
            blocks.error != 0 ? ErrnoProblem(blocks.error) : WriteProblem(blocks.rc, nullptr);
        return Failure(problem, dest, sqlite3_errstr(blocks.rc));
    }
    if (rc != SQLITE_OK) {
        const CopyProblem problem = WriteProblem(rc, copy.Db());
        const std::string about = problem == CopyProblem::LedgerDamaged ? source : dest;
        return Failure(problem, about, sqlite3_errmsg(copy.Db()));
    }
    LedgerCopyResult result = copy.Seal(modified);
    result.times.copy = copySeconds;
    if (!result.Ok() && result.file == copy.TemporaryPath()) {
        // A copy that does not verify: the ledger's fault when it fails the same check.
        const LedgerCopyResult original = CheckOpenLedger(src.get(), source);
        if (!original.Ok())
            return original;
        return Failure(CopyProblem::WriteFailed, dest, "The copy did not verify: " + result.detail);
    }
    return result;
}

LedgerCopyResult RestoreLedgerFile(const std::string& backup, const std::string& ledger, int waitMs,
                                   const CopyProgress& progress) {
    const LedgerCopyResult checked = VerifyRestorableBackup(backup);
    if (!checked.Ok())
        return checked;
    std::string detail;
    const CopyProblem onDisk = CheckOnDisk(ledger, detail);
    if (onDisk != CopyProblem::None)
        return Failure(onDisk, ledger, detail);
    DatabasePtr dst;
    int rc = OpenDatabase(ledger, SQLITE_OPEN_READWRITE, dst);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, ledger), ledger, sqlite3_errstr(rc));
    WaitForLocks(dst.get(), kRetryPauseMs);
    // Whose file: only a ledger is overwritten, a damaged one that still carries our id too.
    int readRc = SQLITE_OK;
    if (ClassifyLedger(dst.get(), readRc) == LedgerKind::Foreign && !HeaderCarriesOurId(ledger)) {
        if (readRc != SQLITE_OK && (readRc & 0xff) != SQLITE_NOTADB)
            return Failure(ReadProblem(readRc, ledger), ledger, sqlite3_errstr(readRc));
        return Failure(CopyProblem::NotALedger, ledger,
                       "The file '" + ledger + "' is not a Coffer data file.");
    }
    DatabasePtr src;
    rc = OpenDatabase(backup, SQLITE_OPEN_READONLY, src);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, backup), backup, sqlite3_errstr(rc));
    // One transaction on the ledger, journalled like any write, held from the first step to
    // the last; a restore is not cancelled halfway.
    bool cancelled = false;
    const CopyProgress report = [&](long long done, long long total) {
        if (progress)
            progress(done, total);
        return true;
    };
    rc = CopyPages(dst.get(), src.get(), kPagesPerStep, report,
                   std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs), cancelled);
    if (rc != SQLITE_OK) {
        const CopyProblem problem = WriteProblem(rc, dst.get());
        return Failure(problem, ledger, sqlite3_errmsg(dst.get()));
    }
    return CheckOpenLedger(dst.get(), ledger);
}

} // namespace ado
