// Data engine benchmarks: our cursor against plain SQLite on the same file in the same run.
//
//   BM_YearQueryWalk  one year (~100,000 rows) out of 1,000,000, walked and read the way the
//                     inquiry lists read it (one walk forward, the cursor holding only the
//                     current row); ratio = ours / plain prepared statement, in
//                     thread CPU time.
//   BM_AddRecord      one record added the way the entry dialogs add it (open the table by
//                     name, AddNew, five SetFieldValue, Update), autocommitted;
//                     ratio = ours / one plain prepared INSERT, in wall time (the
//                     disk sync is most of it).
//
// The 1,000,000-row file is shared with bench_inquiry (BenchLedger.h).

#include "BenchLedger.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/FormatDateTime.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <malloc.h>
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

using bench::Check;
using bench::OpenPlain;

const std::string& BenchFile() {
    return bench::LedgerFile();
}

std::string ConnectionText() {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + BenchFile();
}

// What the inquiry list reads of each row.
struct RowSink {
    std::string id, member, category, note;
    double amount = 0;
    COleDateTime date;
};

// `whileOpen`, when given, runs once every row is read, before the cursor closes.
long WalkOurs(CADODatabase& db, RowSink& sink, const std::function<void()>& whileOpen = {}) {
    CADORecordset rs(&db);
    long rows = 0;
    if (rs.OpenForwardOnly(kYearQuery)) {
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
    if (whileOpen)
        whileOpen();
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

// Heap bytes in use, free of what the allocator keeps for later.
double HeapMiB() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

// Both sides walk the same rows of the same file, warm: before the clock, each walks the
// year a few times, so the file's pages are in the system's cache and in each connection's
// own page cache, and our cursor has its blocks. The two then take turns going first, so
// neither always finds the caches as the other left them. Each repetition reports its
// ratio; the median of the repetitions is the figure.
void BM_YearQueryWalk(benchmark::State& state) {
    CADODatabase db;
    db.SetConnectionString(ConnectionText());
    db.Open();
    const ado::DatabasePtr plain = OpenPlain(BenchFile());
    RowSink sink;
    const double heapBefore = HeapMiB();
    double cursorHeap = 0;
    const long rows = WalkOurs(db, sink, [&] { cursorHeap = HeapMiB() - heapBefore; });
    for (int i = 0; i < 3; ++i) {
        WalkPlain(plain.get(), sink);
        WalkOurs(db, sink);
    }
    double ours = 0;
    double baseline = 0;
    bool oursFirst = false;
    for (auto _ : state) {
        oursFirst = !oursFirst;
        double t0 = ThreadCpuSeconds();
        if (oursFirst)
            WalkOurs(db, sink);
        else
            WalkPlain(plain.get(), sink);
        double t1 = ThreadCpuSeconds();
        if (oursFirst)
            WalkPlain(plain.get(), sink);
        else
            WalkOurs(db, sink);
        double t2 = ThreadCpuSeconds();
        const double oursTime = oursFirst ? t1 - t0 : t2 - t1;
        ours += oursTime;
        baseline += oursFirst ? t2 - t1 : t1 - t0;
        state.SetIterationTime(oursTime);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["ours_ms"] = 1000 * ours / static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = 1000 * baseline / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / baseline;
    state.counters["cursor_heap_MiB"] = cursorHeap;
}
BENCHMARK(BM_YearQueryWalk)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

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
