// Server benchmark: 今年 pressed in the income inquiry dialog with the ledger on a PostgreSQL
// server over its local socket, against plain libpq reading the same rows, in the same run.
//
//   BM_ThisYear100kServer  from the press of 今年 on the year already listed to the filled
//                          list (the query's round trips, the field conversions, the cell
//                          texts and InsertItem for the ~100,000 rows of 2010 out of the
//                          1,000,000 of the shared bench ledger, and the view's update);
//                          ratio = ours / one PQexec of the same selection whose five
//                          columns are read row by row (texts copied, the amount parsed), in
//                          wall time, since the server's share of the work counts for both.
//                          cpu_ratio: the same in this thread's CPU time, for reference.
//
// Running it (Release build in build-bench, configured with -DCOFFER_BENCH=ON):
//   cmake --build build-bench -j2 --target bench_server
//   build-bench/bench/bench_server
// Without COFFER_TEST_PGHOST it starts a throwaway cluster of its own with
// scripts/pg-cluster.sh (as the test command does), moves the bench ledger there with
// coffer-initdb's code, and removes the cluster at the end. With COFFER_TEST_PGHOST set
// (`. scripts/pg-cluster.sh; coffer_pg_start`) it uses that server and keeps the moved
// ledger in the database coffer_bench_1m for the next run.

#include "BenchLedger.h"
#include "BenchServer.h"
#include "controls/ReportCtrl.h"
#include "inquiry/IncomeInquiryDlg.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ole/Clock.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace {

constexpr const char* kBenchDatabase = "coffer_bench_1m";
constexpr const char* kPlainYear =
    "select * from normalincome where 收入日期 > '2010-01-01 00:00:00' and 收入日期 < "
    "'2011-01-01 00:00:00'";

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long ReadPlain(PGconn* conn) {
    const ado::PgResultPtr result(PQexec(conn, kPlainYear));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw std::runtime_error(PQerrorMessage(conn));
    pg_result* raw = result.get();
    const int rows = PQntuples(raw);
    for (int row = 0; row < rows; ++row) {
        std::string id = PQgetvalue(raw, row, 0), member = PQgetvalue(raw, row, 1),
                    date = PQgetvalue(raw, row, 3), item = PQgetvalue(raw, row, 4);
        double amount = std::strtod(PQgetvalue(raw, row, 2), nullptr);
        benchmark::DoNotOptimize(id);
        benchmark::DoNotOptimize(member);
        benchmark::DoNotOptimize(amount);
        benchmark::DoNotOptimize(date);
        benchmark::DoNotOptimize(item);
    }
    return rows;
}

void BM_ThisYear100kServer(benchmark::State& state) {
    static const std::string uri = bench::Server().Ledger(kBenchDatabase);
    setenv("COFFER_LEDGER", uri.c_str(), 1);
    ole::SetClock([] { return COleDateTime(2010, 6, 15, 12, 0, 0); });
    const ado::PgConnPtr plain(PQconnectdb(uri.c_str()));
    if (PQstatus(plain.get()) != CONNECTION_OK)
        throw std::runtime_error(PQerrorMessage(plain.get()));

    CIncomeInquiryDlg dlg;
    dlg.Create();
    dlg.show();
    CReportCtrl& list = *dlg.Item<CReportCtrl>(dlg.GetResultListId());
    QApplication::processEvents();
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    QApplication::processEvents();
    const int rows = list.GetItemCount();
    const long plainRows = ReadPlain(plain.get());
    if (rows != plainRows)
        state.SkipWithError("the dialog and the plain read found different rows");

    // Warm: the server's pages cached and both connections' plans made before the clock.
    // Each timed press finds the year listed already; the two sides take turns going first.
    for (int i = 0; i < 2; ++i) {
        ReadPlain(plain.get());
        dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
        QApplication::processEvents();
    }
    double ours = 0, baseline = 0, oursCpu = 0, baselineCpu = 0;
    bool oursFirst = false;
    const auto timePlain = [&] {
        const double w0 = WallSeconds(), c0 = ThreadCpuSeconds();
        ReadPlain(plain.get());
        baseline += WallSeconds() - w0;
        baselineCpu += ThreadCpuSeconds() - c0;
    };
    for (auto _ : state) {
        oursFirst = !oursFirst;
        if (!oursFirst)
            timePlain();
        const double w0 = WallSeconds(), c0 = ThreadCpuSeconds();
        dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
        QApplication::processEvents(); // the view lays out and paints the new rows
        const double wall = WallSeconds() - w0;
        ours += wall;
        oursCpu += ThreadCpuSeconds() - c0;
        state.SetIterationTime(wall);
        if (oursFirst)
            timePlain();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
    state.counters["ours_ms"] = 1000 * ours / n;
    state.counters["baseline_ms"] = 1000 * baseline / n;
    state.counters["ratio"] = ours / baseline;
    state.counters["cpu_ratio"] = oursCpu / baselineCpu;
    ole::ResetClock();
    unsetenv("COFFER_LEDGER");
}
BENCHMARK(BM_ThisYear100kServer)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
