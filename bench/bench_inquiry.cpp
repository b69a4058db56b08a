// Inquiry benchmark: 今年 pressed in the income inquiry dialog over a busy year, against
// plain SQLite reading the same rows, in the same run.
//
//   BM_ThisYear100k  from the press of 今年 on the year already listed to the filled list
//                    (emptying the list, the query, the field conversions, the cell texts
//                    and InsertItem for ~100,000 rows of one year out of 1,000,000, the
//                    names in the 账户 column, half the rows carrying an account, and the
//                    view's update); ratio = ours / a plain prepared statement that
//                    steps the same rows and reads their five columns, in thread CPU time.
//                    Also reported: the heap that the dialog and its filled list hold.
//
// The 1,000,000-row file is shared with bench_data (BenchLedger.h).

#include "BenchLedger.h"
#include "controls/ReportCtrl.h"
#include "inquiry/IncomeInquiryDlg.h"
#include "platform/ado/sqlite/SqliteHandles.h"
#include "platform/ole/Clock.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <malloc.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kPlainYear =
    "select * from normalIncome where 收入日期 > '2010-01-01 00:00:00' and 收入日期 < "
    "'2011-01-01 00:00:00'";

using bench::Check;
using bench::OpenPlain;

// The dialog opens data.mdb in the current directory: a folder of its own whose data.mdb
// is the shared file.
struct BenchFolder {
    BenchFolder() : m_previous(fs::current_path()) {
        const fs::path dir =
            fs::temp_directory_path() / ("coffer-bench-inquiry-" + std::to_string(getpid()));
        fs::create_directories(dir);
        fs::create_symlink(bench::LedgerFile(), dir / "data.mdb");
        fs::current_path(dir);
        m_dir = dir;
    }
    ~BenchFolder() {
        fs::current_path(m_previous);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_previous, m_dir;
};

// Heap bytes in use: what the rows hold, free of what the allocator keeps for later.
double HeapMiB() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string Text(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? text : "";
}

long ReadPlain(sqlite3* db) {
    sqlite3_stmt* raw = nullptr;
    Check(sqlite3_prepare_v2(db, kPlainYear, -1, &raw, nullptr), db, "prepare");
    const ado::StatementPtr statement(raw);
    long rows = 0;
    while (sqlite3_step(raw) == SQLITE_ROW) {
        std::string id = Text(raw, 0), member = Text(raw, 1), date = Text(raw, 3),
                    item = Text(raw, 4);
        double amount = sqlite3_column_double(raw, 2);
        benchmark::DoNotOptimize(id);
        benchmark::DoNotOptimize(member);
        benchmark::DoNotOptimize(amount);
        benchmark::DoNotOptimize(date);
        benchmark::DoNotOptimize(item);
        ++rows;
    }
    return rows;
}

void BM_ThisYear100k(benchmark::State& state) {
    BenchFolder folder;
    ole::SetClock([] { return COleDateTime(2010, 6, 15, 12, 0, 0); });
    const ado::DatabasePtr plain = OpenPlain("data.mdb");
    ReadPlain(plain.get()); // the page cache warm for both

    const double beforeDialog = HeapMiB();
    CIncomeInquiryDlg dlg;
    dlg.Create();
    dlg.show();
    CReportCtrl& list = *dlg.Item<CReportCtrl>(dlg.GetResultListId());
    QApplication::processEvents();
    const double emptyDialog = HeapMiB();
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    QApplication::processEvents();
    const double filledDialog = HeapMiB();
    const int rows = list.GetItemCount();

    // Warm: both sides read the year a few times before the clock (the file's pages cached,
    // the cursor's blocks at hand). Each timed press finds the year listed already, as a
    // second press of 今年 does, so emptying the list is part of ours. The two sides take
    // turns going first.
    for (int i = 0; i < 2; ++i) {
        ReadPlain(plain.get());
        dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
        QApplication::processEvents();
    }
    double ours = 0, baseline = 0, painting = 0;
    bool oursFirst = false;
    for (auto _ : state) {
        oursFirst = !oursFirst;
        double plainTime = 0;
        if (!oursFirst) {
            const double t0 = ThreadCpuSeconds();
            ReadPlain(plain.get());
            plainTime = ThreadCpuSeconds() - t0;
        }
        const double t1 = ThreadCpuSeconds();
        dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
        const double tp = ThreadCpuSeconds();
        QApplication::processEvents(); // the view lays out and paints the new rows
        const double t2 = ThreadCpuSeconds();
        if (oursFirst) {
            ReadPlain(plain.get());
            plainTime = ThreadCpuSeconds() - t2;
        }
        painting += t2 - tp;
        baseline += plainTime;
        ours += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
    state.counters["ours_ms"] = 1000 * ours / n;
    state.counters["baseline_ms"] = 1000 * baseline / n;
    state.counters["paint_ms"] = 1000 * painting / n;
    state.counters["ratio"] = ours / baseline;
    state.counters["dialog_empty_MiB"] = emptyDialog - beforeDialog;
    state.counters["rows_MiB"] = filledDialog - emptyDialog;
    ole::ResetClock();
}
BENCHMARK(BM_ThisYear100k)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
