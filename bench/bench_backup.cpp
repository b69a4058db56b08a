// Backup benchmark: a verified backup of a large ledger against copying its file.
//
//   BM_Backup1M  a ledger of 1,000,000 records per table backed up as Coffer does it (online
//                backup under a temporary name, whole-file check, ledger check, flush to
//                disk, rename); ratio = ours / std::filesystem::copy_file of the same file,
//                in wall time, in the same run. The baseline copies in the kernel from a
//                file in the page cache, and neither checks nor flushes to disk; ours copies
//                page by page through SQLite, then reads every page back (quick_check on one
//                core, each index against its table on the other) while the disk flushes.
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

void BM_Backup1M(benchmark::State& state) {
    const std::string ledger = Ledger();
    const std::string ours = ledger + ".backup";
    const std::string copied = ledger + ".copy";
    double oursSeconds = 0, copySeconds = 0;
    for (auto _ : state) {
        fs::remove(ours);
        fs::remove(copied);
        auto start = Clock::now();
        const ado::LedgerCopyResult result = ado::BackupLedgerFile(ledger, ours);
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        if (!result.Ok() || result.incomeRecords != kRecords) {
            state.SkipWithError(result.detail.c_str());
            break;
        }
        start = Clock::now();
        fs::copy_file(ledger, copied, fs::copy_options::overwrite_existing);
        copySeconds += std::chrono::duration<double>(Clock::now() - start).count();
        oursSeconds += took;
        state.SetIterationTime(took);
    }
    fs::remove(ours);
    fs::remove(copied);
    state.counters["ratio"] = copySeconds > 0 ? oursSeconds / copySeconds : 0;
    state.counters["ours_s"] = oursSeconds / static_cast<double>(state.iterations());
    state.counters["copy_s"] = copySeconds / static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(fs::file_size(ledger)) / (1024 * 1024);
}

BENCHMARK(BM_Backup1M)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
