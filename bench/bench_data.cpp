// Data engine benchmarks: our cursor against plain SQLite on the same file in the same run.
//
//   BM_YearQueryWalk  one year (~100,000 rows) out of 1,000,000, walked and read the way the
//                     inquiry lists read it; ratio = ours / plain prepared statement, in
//                     thread CPU time.
//   BM_AddRecord      one record added the way the entry dialogs add it (open the table by
//                     name, AddNew, five SetFieldValue, Update), autocommitted;
//                     ratio = ours / one plain prepared INSERT, in wall time (the
//                     disk sync is most of it).
//
// The 1,000,000-row file is made once and kept in the temporary folder (or at
// $COFFER_BENCH_DB).

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/FormatDateTime.h"
#include "data/StarterDatabase.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kYears = 10;
constexpr int kRowsPerYear = 100000;
constexpr const char* kYearQuery = "select * from normalIncome where 收入日期 > #2010-01-01# "
                                   "and 收入日期 < #2011-01-01#";
constexpr const char* kYearQueryPlain =
    "select * from normalIncome where 收入日期 > '2010-01-01 00:00:00' and 收入日期 < "
    "'2011-01-01 00:00:00'";

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

// The baseline connection, opened and set up as our engine opens its own (one thread,
// the same page cache and syncs), so that the ratio is the engine's own cost.
ado::DatabasePtr OpenPlain(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    ado::DatabasePtr db(raw);
    Check(rc, raw, "open");
    sqlite3_exec(raw, "PRAGMA synchronous=FULL; PRAGMA cache_size=-32768", nullptr, nullptr,
                 nullptr);
    return db;
}

// Records entered in date order over ten years, with some jitter, as a ledger fills up.
void Generate(const std::string& path) {
    std::string error;
    if (!CreateStarterDatabase(path, error))
        throw std::runtime_error(error);
    const ado::DatabasePtr db = OpenPlain(path);
    sqlite3* raw = db.get();
    Check(sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr), raw, "begin");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(raw,
                             "insert into normalIncome (收入人员, 收入金额, 收入日期, 收入项目, "
                             "备注) values (?, ?, ?, ?, ?)",
                             -1, &insert, nullptr),
          raw, "prepare");
    const ado::StatementPtr statement(insert);
    const char* members[] = {"爸爸", "妈妈", "孩子"};
    const char* categories[] = {"工资", "奖金", "理财收益", "其他收入"};
    std::mt19937 random(42);
    for (int year = 0; year < kYears; ++year) {
        const COleDateTime start(2006 + year, 1, 1, 0, 0, 0);
        for (int i = 0; i < kRowsPerYear; ++i) {
            const double seconds = (365.0 * 86400 / kRowsPerYear) * i + random() % 300;
            const COleDateTime at(start.m_dt + std::floor(seconds) / 86400.0);
            const std::string date = FormatDateTime(at, "%Y-%m-%d %H:%M:%S");
            const std::string note = random() % 3 ? "备注" + std::to_string(i) : std::string();
            sqlite3_bind_text(insert, 1, members[random() % 3], -1, SQLITE_STATIC);
            sqlite3_bind_double(insert, 2, static_cast<double>(random() % 100000) / 10.0);
            sqlite3_bind_text(insert, 3, date.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, categories[random() % 4], -1, SQLITE_STATIC);
            if (note.empty())
                sqlite3_bind_null(insert, 5);
            else
                sqlite3_bind_text(insert, 5, note.c_str(), -1, SQLITE_TRANSIENT);
            Check(sqlite3_step(insert), raw, "insert");
            sqlite3_reset(insert);
        }
    }
    Check(sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr), raw, "commit");
}

const std::string& BenchFile() {
    static const std::string path = [] {
        const char* given = std::getenv("COFFER_BENCH_DB");
        const std::filesystem::path dir =
            given ? std::filesystem::path(given).parent_path()
                  : std::filesystem::temp_directory_path();
        const std::filesystem::path file =
            given ? std::filesystem::path(given) : dir / "coffer-bench-1m.mdb";
        if (!std::filesystem::exists(file)) {
            std::fprintf(stderr, "making %s (once)...\n", file.c_str());
            const std::filesystem::path partial = file.string() + ".partial";
            std::filesystem::remove(partial);
            Generate(partial.string());
            std::filesystem::rename(partial, file);
        }
        return file.string();
    }();
    return path;
}

std::string ConnectionText() {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + BenchFile();
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the inquiry list reads of each row.
struct RowSink {
    std::string id, member, category, note;
    double amount = 0;
    COleDateTime date;
};

long WalkOurs(CADODatabase& db, RowSink& sink, long* residentGrowthKiB = nullptr) {
    const long before = residentGrowthKiB ? ResidentKiB() : 0;
    CADORecordset rs(&db);
    long rows = 0;
    if (rs.Open(kYearQuery, CADORecordset::ModeQuery)) {
        while (!rs.IsEOF()) {
            rs.GetFieldValue(0, sink.id);
            rs.GetFieldValue(1, sink.member);
            rs.GetFieldValue(2, sink.amount);
            rs.GetFieldValue(3, sink.date);
            rs.GetFieldValue(4, sink.category);
            rs.GetFieldValue(5, sink.note);
            benchmark::DoNotOptimize(sink);
            ++rows;
            rs.MoveNext();
        }
    }
    if (residentGrowthKiB)
        *residentGrowthKiB = ResidentKiB() - before;
    return rows;
}

std::string Text(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? text : "";
}

long WalkPlain(sqlite3* db, RowSink& sink) {
    sqlite3_stmt* raw = nullptr;
    Check(sqlite3_prepare_v2(db, kYearQueryPlain, -1, &raw, nullptr), db, "prepare");
    const ado::StatementPtr statement(raw);
    long rows = 0;
    std::string date;
    while (sqlite3_step(raw) == SQLITE_ROW) {
        sink.id = Text(raw, 0);
        sink.member = Text(raw, 1);
        sink.amount = sqlite3_column_double(raw, 2);
        date = Text(raw, 3);
        sink.category = Text(raw, 4);
        sink.note = Text(raw, 5);
        benchmark::DoNotOptimize(sink);
        benchmark::DoNotOptimize(date);
        ++rows;
    }
    return rows;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The walk is pure computation over a file in the page cache; its CPU time is what it
// costs, and it stays steady on a machine busy with other work.
double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_YearQueryWalk(benchmark::State& state) {
    CADODatabase db;
    db.SetConnectionString(ConnectionText());
    db.Open();
    const ado::DatabasePtr plain = OpenPlain(BenchFile());
    RowSink sink;
    long growth = 0;
    const long rows = WalkOurs(db, sink, &growth); // also warms the page cache
    WalkPlain(plain.get(), sink);
    double ours = 0;
    double baseline = 0;
    for (auto _ : state) {
        const double t0 = ThreadCpuSeconds();
        WalkPlain(plain.get(), sink);
        const double t1 = ThreadCpuSeconds();
        WalkOurs(db, sink);
        const double t2 = ThreadCpuSeconds();
        baseline += t1 - t0;
        ours += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["ours_ms"] = 1000 * ours / static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = 1000 * baseline / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / baseline;
    state.counters["cursor_rss_MiB"] = static_cast<double>(growth) / 1024.0;
}
BENCHMARK(BM_YearQueryWalk)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_AddRecord(benchmark::State& state) {
    CADODatabase db;
    db.SetConnectionString(ConnectionText());
    db.Open();
    const ado::DatabasePtr plain = OpenPlain(BenchFile());
    sqlite3_stmt* raw = nullptr;
    Check(sqlite3_prepare_v2(plain.get(),
                             "insert into normalIncome (收入人员, 收入金额, 收入日期, 收入项目, "
                             "备注) values (?, ?, ?, ?, ?)",
                             -1, &raw, nullptr),
          plain.get(), "prepare");
    const ado::StatementPtr insert(raw);
    // Outside every range the walk asks for; removed again at the end.
    const COleDateTime date(2030, 6, 1, 12, 0, 0);
    const std::string dateText = FormatDateTime(date, "%Y-%m-%d %H:%M:%S");
    double ours = 0;
    double baseline = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        sqlite3_bind_text(raw, 1, "爸爸", -1, SQLITE_STATIC);
        sqlite3_bind_double(raw, 2, 12.5);
        sqlite3_bind_text(raw, 3, dateText.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(raw, 4, "工资", -1, SQLITE_STATIC);
        sqlite3_bind_text(raw, 5, "plain", -1, SQLITE_STATIC);
        Check(sqlite3_step(raw), plain.get(), "insert");
        sqlite3_reset(raw);
        auto t1 = Clock::now();
        {
            CADORecordset rs(&db);
            rs.Open("normalIncome", CADORecordset::ModeTable);
            rs.AddNew();
            rs.SetFieldValue("收入人员", std::string("爸爸"));
            rs.SetFieldValue("收入金额", 12.5);
            rs.SetFieldValue("收入日期", date);
            rs.SetFieldValue("收入项目", std::string("工资"));
            rs.SetFieldValue("备注", std::string("ours"));
            rs.Update();
        }
        auto t2 = Clock::now();
        baseline += Seconds(t1 - t0);
        ours += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t2 - t1));
    }
    sqlite3_exec(plain.get(), "delete from normalIncome where 收入日期 >= '2030-01-01'", nullptr,
                 nullptr, nullptr);
    state.counters["ours_ms"] = 1000 * ours / static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = 1000 * baseline / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_AddRecord)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace

BENCHMARK_MAIN();
