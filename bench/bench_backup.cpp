// Backup benchmark: a verified backup of a large ledger against the least any consistent,
// durable copy of a live SQLite file needs.
//
//   BM_Backup1M  a ledger of 1,000,000 records per table backed up as Coffer does it (online
//                backup under a temporary name, whole-file check, ledger check, flush to
//                disk, rename); ratio = ours / SQLite's online backup of the same file in one
//                step into a temporary file (no journal, no syncs of its own), then fsync,
//                in wall time, in the same run, the two taking turns going first. Also
//                reported: our parts (copy_s: the pages copied; check_s: the copy read back
//                and checked; flush_s: the flush, which runs beside the check) and the
//                baseline's (base_copy_s, base_flush_s).
//
// The ledger is made once and kept in the temporary folder (or at $COFFER_BENCH_BACKUP_DB).

#include "data/StarterDatabase.h"
#include "platform/ado/LedgerCopy.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1000000;

void Exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(why);
    }
}

// Ten years of records for each table, in date order, with members, categories and notes.
void Generate(const std::string& path) {
    std::string error;
    if (!CreateStarterDatabase(path, error))
        throw std::runtime_error(error);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const ado::DatabasePtr db(raw);
    const std::string n = std::to_string(kRecords);
    for (const char* table : {"normalIncome", "normalPay"}) {
        const bool income = std::string(table) == "normalIncome";
        const std::string prefix = income ? "收入" : "支出";
        Exec(raw, "BEGIN");
        Exec(raw, "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " + n +
                      ") INSERT INTO " + table + " (" + prefix + "人员, " + prefix + "金额, " +
                      prefix + "日期, " + prefix +
                      "项目, 备注) SELECT "
                      "CASE i % 3 WHEN 0 THEN '爸爸' WHEN 1 THEN '妈妈' ELSE '孩子' END, "
                      "(i % 9973) * 1.25, datetime('2010-01-01', '+' || (i * 315 / 1000) || "
                      "' minutes'), CASE i % 4 WHEN 0 THEN '工资' WHEN 1 THEN '餐饮' WHEN 2 "
                      "THEN '交通' ELSE '其他' END, CASE WHEN i % 5 = 0 THEN '备注 ' || i END "
                      "FROM k");
        Exec(raw, "COMMIT");
    }
}

std::string Ledger() {
    const char* given = std::getenv("COFFER_BENCH_BACKUP_DB");
    const std::string path =
        given ? given : (fs::temp_directory_path() / "coffer-bench-backup-1m.mdb").string();
    if (!fs::exists(path))
        Generate(path);
    return path;
}

struct PlainTimes {
    double copy = 0;
    double flush = 0;
};

// The baseline: one backup step over every page into a fresh file that keeps no journal and
// syncs nothing by itself, then one fsync of the file.
PlainTimes PlainBackup(const std::string& ledger, const std::string& dest) {
    PlainTimes times;
    const auto start = Clock::now();
    {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(ledger.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        const ado::DatabasePtr src(raw);
        raw = nullptr;
        sqlite3_open_v2(dest.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        const ado::DatabasePtr dst(raw);
        Exec(raw, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
        sqlite3_backup* backup = sqlite3_backup_init(raw, "main", src.get(), "main");
        if (backup == nullptr)
            throw std::runtime_error(sqlite3_errmsg(raw));
        const int rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errstr(rc));
    }
    const auto copied = Clock::now();
    const int fd = ::open(dest.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        throw std::runtime_error("fsync failed");
    ::close(fd);
    times.copy = std::chrono::duration<double>(copied - start).count();
    times.flush = std::chrono::duration<double>(Clock::now() - copied).count();
    return times;
}

void BM_Backup1M(benchmark::State& state) {
    const std::string ledger = Ledger();
    const std::string ours = ledger + ".backup";
    const std::string plain = ledger + ".plain";
    double oursSeconds = 0, plainSeconds = 0;
    ado::CopyTimes parts;
    PlainTimes plainParts;
    bool oursFirst = false;
    for (auto _ : state) {
        fs::remove(ours);
        fs::remove(plain);
        ::sync(); // neither side finds the other's writes still on their way to the disk
        oursFirst = !oursFirst;
        if (!oursFirst) {
            const PlainTimes times = PlainBackup(ledger, plain);
            plainSeconds += times.copy + times.flush;
            plainParts.copy += times.copy;
            plainParts.flush += times.flush;
            ::sync();
        }
        const auto start = Clock::now();
        const ado::LedgerCopyResult result = ado::BackupLedgerFile(ledger, ours);
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        if (!result.Ok() || result.incomeRecords != kRecords) {
            state.SkipWithError(result.detail.c_str());
            break;
        }
        if (oursFirst) {
            ::sync();
            const PlainTimes times = PlainBackup(ledger, plain);
            plainSeconds += times.copy + times.flush;
            plainParts.copy += times.copy;
            plainParts.flush += times.flush;
        }
        oursSeconds += took;
        parts.copy += result.times.copy;
        parts.check += result.times.check;
        parts.flush += result.times.flush;
        state.SetIterationTime(took);
    }
    fs::remove(ours);
    fs::remove(plain);
    const auto n = static_cast<double>(state.iterations());
    state.counters["ratio"] = plainSeconds > 0 ? oursSeconds / plainSeconds : 0;
    state.counters["ours_s"] = oursSeconds / n;
    state.counters["copy_s"] = parts.copy / n;
    state.counters["check_s"] = parts.check / n;
    state.counters["flush_s"] = parts.flush / n;
    state.counters["base_s"] = plainSeconds / n;
    state.counters["base_copy_s"] = plainParts.copy / n;
    state.counters["base_flush_s"] = plainParts.flush / n;
    state.counters["MB"] = static_cast<double>(fs::file_size(ledger)) / (1024 * 1024);
}

BENCHMARK(BM_Backup1M)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

} // namespace

BENCHMARK_MAIN();
