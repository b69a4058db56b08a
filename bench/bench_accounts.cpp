// Account benchmarks, each against its baseline in the same run.
//
//   BM_Balances1M    the balance of 20 accounts over 1,000,000 linked records and 100,000
//                    transfers (CAccountBalances::Now); ratio = ours / the raw grouped SQL
//                    that computes the same numbers, stepped with plain SQLite calls.
//                    Target: ratio <= 1.5.
//   BM_MonthEnd10y   the month-end balances of the 账户余额 chart for those ten years;
//                    ratio = ours / the raw SQL grouping by account and month. Target <= 2.
//   BM_History100k   opening the history window of an account with 100,000 items; ratio =
//                    ours / the expense inquiry listing 100,000 records. Target <= 2.
//
// The ledger is $COFFER_BENCH_ACCOUNTS_DB, or coffer-bench-accounts-1m.mdb in the temporary
// folder; it is made here when neither exists (a minute or two, once).

#include "accounts/AccountBalances.h"
#include "accounts/AccountStore.h"
#include "accounts/HistoryDlg.h"
#include "bench/BenchLedger.h"
#include "controls/ReportCtrl.h"
#include "data/ADODatabase.h"
#include "inquiry/InquiryDlg.h"
#include "inquiry/InquiryTwin.h"
#include "platform/ado/sqlite/SqliteHandles.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

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

// Accounts 2..20 beside the starter's 现金 (1). Income goes to 2..20; every fifth expense
// to 现金, the rest to 2..20: 现金 then holds 100,000 items. Transfers move between 2..20.
const char* const kFill =
    "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 20) "
    "INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) "
    "SELECT '账户' || i, '储蓄卡', i * 10000, '2006-01-01', i, 0 FROM n;"
    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 499999) "
    "INSERT INTO normalIncome SELECT NULL, '妈妈', (abs(random()) % 100000) / 100.0, "
    "datetime('2006-01-01', '+' || (i * 631) || ' seconds'), '工资', NULL FROM n;"
    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 499999) "
    "INSERT INTO normalPay SELECT NULL, '爸爸', (abs(random()) % 100000) / 100.0, "
    "datetime('2006-01-01', '+' || (i * 631) || ' seconds'), '餐饮', NULL FROM n;"
    "INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalIncome', 编号, 2 + 编号 % 19 "
    "FROM normalIncome;"
    "INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalPay', 编号, CASE WHEN 编号 % 5 = 0 "
    "THEN 1 ELSE 2 + 编号 % 19 END FROM normalPay;"
    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
    "INSERT INTO accountTransfer (转出账户, 转入账户, 金额, 日期) SELECT 2 + i % 19, "
    "2 + (i + 7) % 19, 1 + abs(random()) % 100000, "
    "datetime('2006-01-01', '+' || (i * 3155) || ' seconds') FROM n;";

fs::path BenchFile() {
    const char* given = std::getenv("COFFER_BENCH_ACCOUNTS_DB");
    const fs::path file =
        given ? fs::path(given) : fs::temp_directory_path() / "coffer-bench-accounts-1m.mdb";
    MakeOnce(file.string(), [](sqlite3* db) {
        Check(sqlite3_exec(db, kFill, nullptr, nullptr, nullptr), db, "generate");
    });
    return file;
}

COleDateTime Now() {
    return COleDateTime(2015, 12, 31, 12, 0, 0);
}

// The windows open data.mdb in the current directory: a folder whose data.mdb is the file.
struct BenchFolder {
    BenchFolder() : m_previous(fs::current_path()) {
        m_dir = fs::temp_directory_path() / ("coffer-bench-accounts-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        fs::create_symlink(BenchFile(), m_dir / "data.mdb");
        fs::current_path(m_dir);
        ole::SetClock([] { return Now(); });
        m_db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb");
        m_db.Open();
    }
    ~BenchFolder() {
        m_db.Close();
        ole::ResetClock();
        fs::current_path(m_previous);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_previous, m_dir;
    CADODatabase m_db;
};

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long StepPlain(sqlite3* db, const std::vector<std::string>& statements) {
    long rows = 0;
    for (const std::string& sql : statements) {
        sqlite3_stmt* raw = nullptr;
        Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr), db, "prepare");
        const ado::StatementPtr statement(raw);
        while (sqlite3_step(raw) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(raw); ++i)
                benchmark::DoNotOptimize(sqlite3_column_int64(raw, i));
            ++rows;
        }
    }
    return rows;
}

// The same numbers as SQLite alone computes them: a join on the opening date and a group.
// `byMonth`: grouped by SQLite's own month of a stored date, its first seven characters.
std::vector<std::string> RawStatements(bool byMonth) {
    const auto group = [byMonth](const std::string& column) {
        return byMonth ? "substr(" + column + ", 1, 7)" : std::string("0");
    };
    std::vector<std::string> statements;
    for (auto [table, prefix] : {std::pair{"normalIncome", "收入"}, std::pair{"normalPay", "支出"}})
        statements.push_back(std::string("SELECT l.账户, ") +
                             group(std::string("r.") + prefix + "日期") + ", SUM(CAST(ROUND(r." +
                             prefix + "金额 * 100) AS BIGINT)) FROM accountLink l JOIN " + table +
                             " r ON r.编号 = l.编号 JOIN accountList a ON a.ID = l.账户 WHERE "
                             "l.表 = '" +
                             table + "' AND r." + prefix + "日期 >= a.期初日期 GROUP BY 1, 2");
    for (const char* column : {"转入账户", "转出账户"})
        statements.push_back(std::string("SELECT t.") + column + ", " + group("t.日期") +
                             ", SUM(t.金额) FROM accountTransfer t JOIN accountList a ON "
                             "a.ID = t." +
                             column + " WHERE t.日期 >= a.期初日期 GROUP BY 1, 2");
    return statements;
}

template <typename Ours, typename Baseline>
void InTurns(benchmark::State& state, Ours ours, Baseline baseline) {
    double dOurs = 0, dBaseline = 0;
    bool bBaselineFirst = true;
    const auto timed = [](auto& work) {
        const double t0 = ThreadCpuSeconds();
        work();
        return ThreadCpuSeconds() - t0;
    };
    for (auto _ : state) {
        // In turns, each going first every other time, so neither gains by the other.
        const double a = bBaselineFirst ? timed(baseline) : timed(ours);
        const double b = bBaselineFirst ? timed(ours) : timed(baseline);
        const double mine = bBaselineFirst ? b : a;
        dBaseline += bBaselineFirst ? a : b;
        dOurs += mine;
        bBaselineFirst = !bBaselineFirst;
        state.SetIterationTime(mine);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * dOurs / n;
    state.counters["baseline_ms"] = 1000 * dBaseline / n;
    state.counters["ratio"] = dOurs / dBaseline;
}

void BM_Balances1M(benchmark::State& state) {
    BenchFolder folder;
    const std::vector<CAccount> accounts = CAccountStore(folder.m_db).Load();
    const ado::DatabasePtr plain = OpenPlain("data.mdb");
    const std::vector<std::string> raw = RawStatements(false);
    std::int64_t nNet = 0;
    InTurns(
        state,
        [&] { nNet = CAccountBalances::Sum(CAccountBalances(folder.m_db).Now(accounts)).nNet; },
        [&] { benchmark::DoNotOptimize(StepPlain(plain.get(), raw)); });
    state.counters["accounts"] = static_cast<double>(accounts.size());
    state.counters["net_yuan"] = static_cast<double>(nNet) / 100.0;
}
BENCHMARK(BM_Balances1M)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(4.0);

void BM_MonthEnd10y(benchmark::State& state) {
    BenchFolder folder;
    const std::vector<CAccount> accounts = CAccountStore(folder.m_db).Load();
    const std::vector<std::string> bounds =
        CAccountBalances::MonthBounds("2006-01-01", "2015-12-31");
    const ado::DatabasePtr plain = OpenPlain("data.mdb");
    const std::vector<std::string> raw = RawStatements(true);
    size_t nMonths = 0;
    InTurns(
        state, [&] { nMonths = CAccountBalances(folder.m_db).MonthEnds(accounts, bounds).size(); },
        [&] { benchmark::DoNotOptimize(StepPlain(plain.get(), raw)); });
    state.counters["months"] = static_cast<double>(nMonths);
}
BENCHMARK(BM_MonthEnd10y)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(4.0);

void BM_History100k(benchmark::State& state) {
    BenchFolder folder;
    // Two years of expenses: 100,000 records, as many as 现金's history holds.
    CInquiryDlg inquiry(kPayInquiry, nullptr);
    inquiry.Create();
    inquiry.Item<ui::DateTimePicker>(CInquiryDlg::IDC_FROM)
        ->SetTime(COleDateTime(2006, 1, 1, 0, 0, 0));
    inquiry.Item<ui::DateTimePicker>(CInquiryDlg::IDC_TO)
        ->SetTime(COleDateTime(2007, 12, 31, 0, 0, 0));
    int nHistory = 0;
    InTurns(
        state,
        [&] {
            CHistoryDlg history;
            history.m_nAccountId = 1;
            history.Create();
            QApplication::processEvents();
            nHistory = history.Item<CReportCtrl>(CHistoryDlg::IDC_LIST)->GetItemCount();
        },
        [&] {
            inquiry.ClickButton(CInquiryDlg::IDC_INTERVAL_QUERY);
            QApplication::processEvents();
        });
    state.counters["history_rows"] = nHistory;
    state.counters["inquiry_rows"] =
        inquiry.Item<CReportCtrl>(inquiry.GetResultListId())->GetItemCount();
}
BENCHMARK(BM_History100k)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(6.0);

} // namespace
