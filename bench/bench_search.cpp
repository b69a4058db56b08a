// Search benchmarks: the 搜索 window's search (CSearchRecords::Find, as the window's worker
// runs it) over 1,000,000 records (500,000 of each kind), against the raw query the index
// serves, on the same ledger in the same run:
//
//   BM_Search3Chars1M        "钢琴课" (1,000 records): ratio = ours / the raw FTS5 trigram
//                            query of the same records (every column read);
//                            ours_ms is our time per search; cpu_ratio the same
//                            ratio in this thread's CPU time.
//   BM_Search2Chars1M        "米线" (1,000 records), which a trigram index cannot serve:
//                            ratio = ours / a raw LIKE scan of the same three columns.
//   BM_SearchServer3Chars1M  "钢琴课" with the ledger on a PostgreSQL server: ratio = ours /
//                            a raw ILIKE query over the same columns served by pg_trgm.
//
// Running it (Release build in build-bench, configured with -DCOFFER_BENCH=ON):
//   cmake --build build-bench -j2 --target bench_search
//   build-bench/bench/bench_search
// The ledger is made once as coffer-bench-search-1m.mdb in the temporary folder, with its
// index; the server one (see bench_server) in the database coffer_bench_search_1m.

#include "BenchLedger.h"
#include "BenchServer.h"
#include "data/ADODatabase.h"
#include "platform/ado/pg/PgHandles.h"
#include "search/SearchIndex.h"
#include "search/SearchRecords.h"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

constexpr const char* kServerDatabase = "coffer_bench_search_1m";

// 500,000 records of each kind over ten years, in date order; one in a thousand is a piano
// lesson and one in a thousand a bowl of noodles, the rest everyday notes.
std::string Generate(const char* table, const char* member, const char* amount, const char* date,
                     const char* item, int nOffset) {
    return std::string("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE "
                       "i < 499999), h(i, r) AS (SELECT i, ((i + ") +
           std::to_string(nOffset) + ") * 2654435761 + 12345) % 4294967291 FROM n) INSERT INTO " +
           table + " (" + member + ", " + amount + ", " + date + ", " + item +
           ", 备注) SELECT CASE r % 3 WHEN 0 THEN '爸爸' WHEN 1 THEN '妈妈' ELSE '孩子' END, "
           "((r / 7) % 100000) / 10.0, datetime('2016-01-01', '+' || (i * 630 + (r / 11) % 600) "
           "|| ' seconds'), CASE (r / 13) % 4 WHEN 0 THEN '餐饮' WHEN 1 THEN '交通' WHEN 2 THEN "
           "'购物' ELSE '住房' END, CASE WHEN i % 1000 = 7 THEN '钢琴课学费' WHEN i % 1000 = 501 "
           "THEN '云膳过桥米线' WHEN (r / 17) % 5 = 0 THEN NULL ELSE CASE (r / 19) % 6 WHEN 0 "
           "THEN '超市购物' WHEN 1 THEN '早餐包子' WHEN 2 THEN '地铁通勤' WHEN 3 THEN '水电燃气' "
           "WHEN 4 THEN '物业管理费' ELSE '话费充值' END || (i % 997) END FROM h";
}

const std::string& SearchLedger() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "coffer-bench-search-1m.mdb").string();
        bench::MakeOnce(file, [](sqlite3* db) {
            std::string sql =
                "BEGIN;" +
                Generate("normalIncome", "收入人员", "收入金额", "收入日期", "收入项目", 0) + ";" +
                Generate("normalPay", "支出人员", "支出金额", "支出日期", "支出项目", 500000) + ";";
            for (const std::string& statement : CSearchIndex::FileStatements())
                sql += statement + ";";
            for (const std::string& statement : CSearchIndex::FillStatements())
                sql += statement + ";";
            bench::Check(sqlite3_exec(db, (sql + "COMMIT").c_str(), nullptr, nullptr, nullptr), db,
                         "generate");
        });
        return file;
    }();
    return path;
}

std::string RawSelect(const char* where) {
    std::string sql;
    for (const auto& [nKind, table, prefix] :
         {std::tuple{0, "normalIncome", "收入"}, std::tuple{1, "normalPay", "支出"}}) {
        std::string condition = where;
        for (std::size_t at; (at = condition.find("$")) != std::string::npos;)
            condition.replace(at, 1, prefix);
        for (std::size_t at; (at = condition.find("@")) != std::string::npos;)
            condition.replace(at, 1, nKind == 0 ? "searchIncome" : "searchPay");
        sql += std::string(sql.empty() ? "" : " UNION ALL ") + "SELECT " + std::to_string(nKind) +
               ", 编号, " + prefix + "人员, " + prefix + "金额, " + prefix + "日期, " + prefix +
               "项目, 备注 FROM " + table + " WHERE " + condition;
    }
    return sql;
}

long ReadPlain(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    bench::Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr), db, "prepare");
    const ado::StatementPtr statement(raw);
    long rows = 0;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int i = 0; i < 7; ++i)
            benchmark::DoNotOptimize(sqlite3_column_text(raw, i));
        ++rows;
    }
    bench::Check(rc, db, "step");
    return rows;
}

long ReadPlain(PGconn* conn, const std::string& sql) {
    const ado::PgResultPtr result(PQexec(conn, sql.c_str()));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw std::runtime_error(PQerrorMessage(conn));
    const int rows = PQntuples(result.get());
    for (int row = 0; row < rows; ++row)
        for (int i = 0; i < 7; ++i) {
            std::string value = PQgetvalue(result.get(), row, i);
            benchmark::DoNotOptimize(value);
        }
    return rows;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Ours and the baseline take turns going first; each timed once per iteration.
void Compare(benchmark::State& state, const std::function<long()>& ours,
             const std::function<long()>& baseline) {
    const long rows = ours(), baselineRows = baseline();
    if (rows != baselineRows)
        state.SkipWithError("the search and the raw query found different records");
    double oursTime = 0, baselineTime = 0, oursCpu = 0, baselineCpu = 0;
    bool oursFirst = false;
    const auto timeBaseline = [&] {
        const double start = WallSeconds(), cpu = ThreadCpuSeconds();
        baseline();
        baselineTime += WallSeconds() - start;
        baselineCpu += ThreadCpuSeconds() - cpu;
    };
    for (auto _ : state) {
        oursFirst = !oursFirst;
        if (!oursFirst)
            timeBaseline();
        const double start = WallSeconds(), cpu = ThreadCpuSeconds();
        ours();
        const double wall = WallSeconds() - start;
        oursTime += wall;
        oursCpu += ThreadCpuSeconds() - cpu;
        state.SetIterationTime(wall);
        if (oursFirst)
            timeBaseline();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["ours_ms"] = 1000 * oursTime / n;
    state.counters["baseline_ms"] = 1000 * baselineTime / n;
    state.counters["ratio"] = oursTime / baselineTime;
    // This thread's CPU time, for reference: on a busy machine the wall times wait too.
    state.counters["cpu_ratio"] = oursCpu / baselineCpu;
}

void CompareOnFile(benchmark::State& state, const std::string& text, const char* rawWhere) {
    CADODatabase db;
    db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + SearchLedger());
    if (!db.Open() || CSearchIndex::Inspect(db) != CSearchIndex::Ready)
        throw std::runtime_error("the bench ledger's index is not ready");
    const ado::DatabasePtr plain = bench::OpenPlain(SearchLedger());
    const std::string raw = RawSelect(rawWhere);
    Compare(
        state,
        [&] {
            return static_cast<long>(CSearchRecords::Find(db, text, std::nullopt, true).size());
        },
        [&] { return ReadPlain(plain.get(), raw); });
}

void BM_Search3Chars1M(benchmark::State& state) {
    CompareOnFile(state, "钢琴课", "编号 IN (SELECT rowid FROM @ WHERE @ MATCH '\"钢琴课\"')");
}

void BM_Search2Chars1M(benchmark::State& state) {
    CompareOnFile(state, "米线",
                  "$人员 LIKE '%米线%' OR $项目 LIKE '%米线%' OR 备注 LIKE '%米线%'");
}

void BM_SearchServer3Chars1M(benchmark::State& state) {
    static const std::string uri = bench::Server().Ledger(kServerDatabase, SearchLedger());
    CADODatabase db;
    db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + uri);
    std::string error;
    if (!db.Open() || !CSearchIndex::Ensure(db, error))
        throw std::runtime_error("no trigram index on the server: " + error);
    bench::BenchServer::Run(uri, "ANALYZE");
    const ado::PgConnPtr plain(PQconnectdb(uri.c_str()));
    if (PQstatus(plain.get()) != CONNECTION_OK)
        throw std::runtime_error(PQerrorMessage(plain.get()));
    const std::string raw =
        RawSelect("$人员 ILIKE '%钢琴课%' OR $项目 ILIKE '%钢琴课%' OR 备注 ILIKE '%钢琴课%'");
    Compare(
        state,
        [&] {
            return static_cast<long>(CSearchRecords::Find(db, "钢琴课", std::nullopt, true).size());
        },
        [&] { return ReadPlain(plain.get(), raw); });
}

} // namespace

BENCHMARK(BM_Search3Chars1M)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Search2Chars1M)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SearchServer3Chars1M)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
