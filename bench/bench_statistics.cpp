// Statistics benchmarks, each against its baseline in the same run.
//
//   BM_YearByMonth1M   the 收支统计 window counting 今年 按月份 (the grouped statements, the
//                      table and the chart) on a ledger of 1,000,000 records per table over
//                      ten years; ratio = ours / the same two grouped statements stepped with
//                      plain SQLite calls, in thread CPU time. Target: ratio <= 1.5.
//   BM_TotalsLine100k  今年 pressed in the income inquiry over the ~100,000 records of one of
//                      those years, with its totals line and without it (the same window
//                      from a template without the line, so nothing is kept for it);
//                      ratio = with / without. Target: ratio <= 1.05.
//
// The ledger is $COFFER_BENCH_STATS_DB, or coffer-bench-stats-2m.mdb in the temporary
// folder; it is made here when neither exists (a minute or two, once).

#include "bench/BenchLedger.h"
#include "controls/ReportCtrl.h"
#include "inquiry/InquiryDlg.h"
#include "inquiry/InquiryTwin.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/sqlite/SqliteHandles.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DialogTemplate.h"
#include "stats/StatisticsDlg.h"
#include "stats/StatisticsPeriod.h"
#include "stats/StatisticsQuery.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using bench::Check;
using bench::MakeOnce;
using bench::OpenPlain;

namespace {

// A function, not a global: the date's calendar tables may not be ready when globals are.
COleDateTime Now() {
    return COleDateTime(2010, 6, 15, 12, 0, 0);
}

// Ten years from 2006 of 100,000 records a year in the table, in date order with a few
// minutes' jitter, as a ledger fills up.
std::string Generate(const std::string& table, const std::string& firstItem) {
    return "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999) "
           "INSERT INTO " +
           table +
           " SELECT NULL, "
           "CASE abs(random()) % 3 WHEN 0 THEN '爸爸' WHEN 1 THEN '妈妈' ELSE '孩子' END, "
           "(abs(random()) % 100000) / 10.0, "
           "datetime('2006-01-01', '+' || (i / 100000) || ' years', "
           "'+' || ((i % 100000) * 315 + abs(random()) % 300) || ' seconds'), "
           "CASE abs(random()) % 4 WHEN 0 THEN '" +
           firstItem + "' WHEN 1 THEN '奖金' WHEN 2 THEN '其他' ELSE '餐饮' END, NULL FROM n";
}

fs::path BenchFile() {
    const char* given = std::getenv("COFFER_BENCH_STATS_DB");
    const fs::path file =
        given ? fs::path(given) : fs::temp_directory_path() / "coffer-bench-stats-2m.mdb";
    MakeOnce(file.string(), [](sqlite3* db) {
        for (auto [table, item] :
             {std::pair{"normalIncome", "工资"}, std::pair{"normalPay", "住房"}})
            Check(sqlite3_exec(db, Generate(table, item).c_str(), nullptr, nullptr, nullptr), db,
                  "generate");
    });
    return file;
}

// The windows open data.mdb in the current directory: a folder of their own whose data.mdb
// is the shared file.
struct BenchFolder {
    BenchFolder() : m_previous(fs::current_path()) {
        m_dir = fs::temp_directory_path() / ("coffer-bench-stats-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        fs::create_symlink(BenchFile(), m_dir / "data.mdb");
        fs::current_path(m_dir);
        ole::SetClock([] { return Now(); });
    }
    ~BenchFolder() {
        ole::ResetClock();
        fs::current_path(m_previous);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_previous, m_dir;
};

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The window's two statements as SQLite itself takes them, stepped and read.
long ReadGroupsPlain(sqlite3* db, const std::vector<std::string>& statements) {
    long groups = 0;
    for (const std::string& sql : statements) {
        sqlite3_stmt* raw = nullptr;
        Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr), db, "prepare");
        const ado::StatementPtr statement(raw);
        while (sqlite3_step(raw) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int(raw, 0));
            benchmark::DoNotOptimize(sqlite3_column_int(raw, 1));
            benchmark::DoNotOptimize(sqlite3_column_double(raw, 2));
            benchmark::DoNotOptimize(sqlite3_column_double(raw, 3));
            ++groups;
        }
    }
    return groups;
}

void BM_YearByMonth1M(benchmark::State& state) {
    BenchFolder folder;
    const InquiryPreset scope = CStatisticsPeriod::Scope(StatisticsPeriod::ThisYear, Now(), {}, {});
    const auto bounds = CStatisticsQuery::MonthBounds(scope.dtLower, scope.dtUpper);
    std::vector<std::string> statements;
    for (const StatisticsSource* source : {&kIncomeSource, &kPaySource})
        statements.push_back(ado::JetSql::TranslateDateLiterals(
            CStatisticsQuery::BuildStatement(*source, StatisticsGrouping::ByMonth, scope, bounds)));
    const ado::DatabasePtr plain = OpenPlain("data.mdb");
    ReadGroupsPlain(plain.get(), statements); // the page cache warm for both

    CStatisticsDlg dlg; // opens on 今年 按月份
    dlg.Create();
    dlg.show();
    QApplication::processEvents();
    const auto plainRead = [&] {
        const double t0 = ThreadCpuSeconds();
        ReadGroupsPlain(plain.get(), statements);
        return ThreadCpuSeconds() - t0;
    };
    const auto count = [&] {
        const double t0 = ThreadCpuSeconds();
        dlg.ClickButton(CStatisticsDlg::IDC_COUNT);
        QApplication::processEvents(); // the table and the chart lay out and paint
        return ThreadCpuSeconds() - t0;
    };
    double ours = 0, baseline = 0;
    bool bPlainFirst = true;
    for (auto _ : state) {
        // In turns, each going first every other time, so neither gains by the other.
        const double a = bPlainFirst ? plainRead() : count();
        const double b = bPlainFirst ? count() : plainRead();
        baseline += bPlainFirst ? a : b;
        const double dOurs = bPlainFirst ? b : a;
        ours += dOurs;
        bPlainFirst = !bPlainFirst;
        state.SetIterationTime(dOurs);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(dlg.GetRows().size());
    state.counters["records"] =
        static_cast<double>(dlg.GetRows().back().nIncome + dlg.GetRows().back().nExpense);
    state.counters["ours_ms"] = 1000 * ours / n;
    state.counters["baseline_ms"] = 1000 * baseline / n;
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_YearByMonth1M)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The income inquiry from a template without the totals line.
constexpr int kWithoutTotals = 9136;

InquiryTwin WithoutTotalsTwin() {
    ui::DialogTemplate copy = ui::DialogTemplate::Load(kIncomeInquiry.nTemplateId);
    copy.id = kWithoutTotals;
    copy.controls.erase(std::remove_if(copy.controls.begin(), copy.controls.end(),
                                       [](const ui::ControlTemplate& control) {
                                           return control.id == CInquiryDlg::IDC_TOTALS;
                                       }),
                        copy.controls.end());
    ui::DialogTemplate::Register(copy);
    InquiryTwin twin = kIncomeInquiry;
    twin.nTemplateId = kWithoutTotals;
    return twin;
}

void BM_TotalsLine100k(benchmark::State& state) {
    BenchFolder folder;
    static const InquiryTwin withoutTwin = WithoutTotalsTwin();
    CInquiryDlg with(kIncomeInquiry, nullptr);
    CInquiryDlg without(withoutTwin, nullptr);
    for (CInquiryDlg* dlg : {&with, &without}) {
        dlg->Create();
        dlg->show();
        dlg->ClickButton(CInquiryDlg::IDC_THIS_YEAR); // warm
    }
    QApplication::processEvents();
    const auto press = [](CInquiryDlg& dlg) {
        dlg.Item<CReportCtrl>(dlg.GetResultListId())->DeleteAllItems();
        const double t0 = ThreadCpuSeconds();
        dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
        QApplication::processEvents();
        return ThreadCpuSeconds() - t0;
    };
    double withTotals = 0, withoutTotals = 0;
    bool bWithFirst = true;
    for (auto _ : state) {
        // Taken in turns, each going first every other time, so that a slow spell of the
        // machine or a warm cache falls on both.
        const double a = press(bWithFirst ? with : without);
        const double b = press(bWithFirst ? without : with);
        withTotals += bWithFirst ? a : b;
        withoutTotals += bWithFirst ? b : a;
        state.SetIterationTime(bWithFirst ? a : b);
        bWithFirst = !bWithFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = with.Item<CReportCtrl>(with.GetResultListId())->GetItemCount();
    state.counters["with_ms"] = 1000 * withTotals / n;
    state.counters["without_ms"] = 1000 * withoutTotals / n;
    state.counters["ratio"] = withTotals / withoutTotals;
    benchmark::DoNotOptimize(with.GetDlgItemText(CInquiryDlg::IDC_TOTALS));
}
BENCHMARK(BM_TotalsLine100k)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(6.0);

} // namespace
