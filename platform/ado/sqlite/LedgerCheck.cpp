#include "platform/ado/sqlite/LedgerCheck.h"

#include "platform/ado/LedgerFile.h"
#include "platform/ado/sqlite/LedgerIntegrity.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace ado::ledger_check {
namespace {

constexpr int kHeaderSize = 100;
constexpr int kApplicationIdOffset = 68;

long long Count(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        return -1;
    StatementPtr statement(raw);
    return sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int64(raw, 0) : -1;
}

} // namespace

LedgerCopyResult Failure(CopyProblem problem, const std::string& file, std::string detail) {
    LedgerCopyResult result;
    result.problem = problem;
    result.file = file;
    result.detail = std::move(detail);
    return result;
}

CopyProblem CheckOnDisk(const std::string& path, std::string& detail) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        detail = "The file '" + path + "' does not exist.";
        return CopyProblem::LedgerMissing;
    }
    if (!std::filesystem::is_regular_file(path, ec)) {
        detail = "'" + path + "' is not a file.";
        return CopyProblem::NotALedger;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        detail = "The file '" + path + "' cannot be read (" + std::strerror(errno) + ").";
        return CopyProblem::LedgerUnreadable;
    }
    char header[16] = {};
    file.read(header, sizeof header);
    if (file.gcount() != sizeof header || std::memcmp(header, "SQLite format 3", 16) != 0) {
        detail = "The file '" + path + "' is not an SQLite database.";
        return CopyProblem::NotALedger;
    }
    return CopyProblem::None;
}

bool HeaderCarriesOurId(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char header[kHeaderSize] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    if (file.gcount() != sizeof header)
        return false;
    const unsigned char* id = header + kApplicationIdOffset;
    const long long value =
        (static_cast<long long>(id[0]) << 24) | (id[1] << 16) | (id[2] << 8) | id[3];
    return value == kLedgerApplicationId;
}

CopyProblem ReadProblem(int rc, const std::string& path) {
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return CopyProblem::LedgerBusy;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return CopyProblem::LedgerUnreadable;
    case SQLITE_NOTADB:
        // A file of ours whose pages no longer read is damaged, not foreign.
        return HeaderCarriesOurId(path) ? CopyProblem::LedgerDamaged : CopyProblem::NotALedger;
    default:
        return CopyProblem::LedgerDamaged;
    }
}

CopyProblem ErrnoProblem(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return CopyProblem::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return CopyProblem::NoPermission;
    default:
        return CopyProblem::WriteFailed;
    }
}

CopyProblem WriteProblem(int rc, sqlite3* db) {
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return CopyProblem::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return CopyProblem::NoPermission;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return CopyProblem::LedgerBusy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return CopyProblem::LedgerDamaged;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR: {
        const int error = db ? sqlite3_system_errno(db) : 0;
        // Reading the ledger's pages failed, not writing ours.
        if (rc == SQLITE_IOERR_READ || rc == SQLITE_IOERR_SHORT_READ)
            return CopyProblem::LedgerDamaged;
        return error != 0 ? ErrnoProblem(error) : CopyProblem::WriteFailed;
    }
    default:
        return CopyProblem::WriteFailed;
    }
}

void ReadCounts(sqlite3* db, LedgerCopyResult& result) {
    result.incomeRecords = Count(db, "SELECT count(*) FROM normalIncome");
    result.payRecords = Count(db, "SELECT count(*) FROM normalPay");
    // A backup taken of a server ledger names its tables as the server folds them.
    if (Count(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND lower(name) = "
                  "'picturestore'") == 0) {
        result.pictures = 0;
        result.pictureBytes = 0;
        return;
    }
    result.pictures = Count(db, "SELECT count(*) FROM pictureStore");
    result.pictureBytes =
        Count(db, "SELECT coalesce(sum(length(图片) + length(缩略图)), 0) FROM pictureStore");
}

LedgerCopyResult CheckOpenLedger(sqlite3* db, const std::string& path) {
    int rc = SQLITE_OK;
    const LedgerKind kind = ClassifyLedger(db, rc);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, path), path, sqlite3_errstr(rc));
    if (kind == LedgerKind::Foreign)
        return Failure(CopyProblem::NotALedger, path,
                       "The file '" + path + "' is not a Coffer data file.");
    const std::string integrity = CheckIntegrity(db, rc);
    if (rc != SQLITE_OK)
        return Failure(ReadProblem(rc, path), path, integrity);
    if (integrity != "ok")
        return Failure(CopyProblem::LedgerDamaged, path,
                       "The integrity check of '" + path + "' failed: " + integrity);
    LedgerCopyResult result;
    result.file = path;
    ReadCounts(db, result);
    return result;
}

} // namespace ado::ledger_check
