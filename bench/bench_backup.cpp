// Backup benchmark: a verified backup of a large ledger against the least any consistent,
// durable copy of a live SQLite file needs.
//
//   BM_Backup1M  a ledger of 1,000,000 records per table backed up as Coffer does it (its
//                file copied in blocks under a temporary name while a read transaction keeps
//                writers out, whole-file check, ledger check, flush to disk, rename);
//                ratio = ours / SQLite's online backup of the same file in one
//                step into a temporary file (no journal, no syncs of its own), then fsync,
//                in wall time, in the same run, the two taking turns going first. Also
//                reported: our parts (copy_s: the pages copied; check_s: the copy read back
//                and checked; flush_s: the flush, which runs beside the check) and the
//                baseline's (base_copy_s, base_flush_s).
//
// The ledger is made once and kept in the temporary folder (or at $COFFER_BENCH_BACKUP_DB).

#include "BenchBackup.h"
#include "data/StarterDatabase.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
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
    bench::RaceBackups(state, Ledger(), [](const ado::LedgerCopyResult& result) {
        return result.incomeRecords == kRecords;
    });
}

BENCHMARK(BM_Backup1M)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

} // namespace

BENCHMARK_MAIN();
