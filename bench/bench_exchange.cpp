// Records in and out, each against the plainest way to do the same work in the same run.
//
//   BM_Import100k      100,000 CSV lines read, checked and written into a fresh ledger in
//                      one transaction (the import of the 导入记录 window and coffer-import);
//                      ratio = ours / the same rows inserted with one prepared plain SQLite
//                      INSERT in one transaction (values given, nothing to read or check).
//                      cpu_ratio: the same in thread CPU time.
//   BM_ExportCsv100k   100,000 records written as CSV; ratio = ours / fprintf of the same rows.
//   BM_ExportXlsx100k  the same as an Excel workbook; ratio = ours / fprintf of the same rows.
//
// All in wall time, since writing the file is most of the work.

#include "data/ADODatabase.h"
#include "data/StarterDatabase.h"
#include "exchange/ImportFile.h"
#include "exchange/RecordExport.h"
#include "exchange/RecordImport.h"
#include "exchange/RecordText.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 100000;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::vector<ExchangeRecord> MakeRecords() {
    const char* members[] = {"爸爸", "妈妈", "孩子"};
    const char* categories[] = {"餐饮", "交通", "购物", "其他支出"};
    std::mt19937 random(7);
    std::vector<ExchangeRecord> records(kRows);
    const COleDateTime start(2020, 1, 1, 0, 0, 0);
    for (int i = 0; i < kRows; ++i) {
        ExchangeRecord& record = records[static_cast<size_t>(i)];
        record.strId = std::to_string(i + 1);
        record.dAmount = static_cast<double>(random() % 1000000) / 100.0 + 0.01;
        record.strMember = members[random() % 3];
        record.dtRecord = COleDateTime(start.m_dt + (i * 300 + random() % 300) / 86400.0);
        record.dtRecord = COleDateTime(std::floor(record.dtRecord.m_dt * 86400 + 0.5) / 86400);
        record.strItem = categories[random() % 4];
        record.strNote = random() % 3 ? "备注 " + std::to_string(i) : std::string();
    }
    return records;
}

const std::vector<ExchangeRecord>& Records() {
    static const std::vector<ExchangeRecord> records = MakeRecords();
    return records;
}

std::filesystem::path Dir() {
    static const std::filesystem::path dir = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("coffer-bench-exchange-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

std::string FreshLedger(const char* name) {
    const auto path = Dir() / name;
    std::filesystem::remove(path);
    std::string error;
    if (!CreateStarterDatabase(path.string(), error))
        throw std::runtime_error(error);
    return path.string();
}

// The rows the baseline writes: already values, as a program that had them in memory would.
void PlainInsert(const std::string& path, const std::vector<ExchangeRecord>& records) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    const ado::DatabasePtr db(raw);
    sqlite3_exec(raw, "PRAGMA synchronous=FULL; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw,
                       "insert into normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
                       "values (?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    const ado::StatementPtr statement(insert);
    for (const ExchangeRecord& record : records) {
        const std::string date = FormatRecordDate(record.dtRecord);
        sqlite3_bind_text(insert, 1, record.strMember.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_double(insert, 2, record.dAmount);
        sqlite3_bind_text(insert, 3, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, record.strItem.c_str(), -1, SQLITE_STATIC);
        if (record.strNote.empty())
            sqlite3_bind_null(insert, 5);
        else
            sqlite3_bind_text(insert, 5, record.strNote.c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw));
        sqlite3_reset(insert);
    }
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
}

void PlainFprintf(const std::filesystem::path& path, const std::vector<ExchangeRecord>& records) {
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fprintf(out, "编号,金额,成员,日期,类别,备注\r\n");
    for (const ExchangeRecord& record : records)
        std::fprintf(out, "%s,%.2f,%s,%s,%s,%s\r\n", record.strId.c_str(), record.dAmount,
                     record.strMember.c_str(), FormatRecordDate(record.dtRecord).c_str(),
                     record.strItem.c_str(), record.strNote.c_str());
    std::fclose(out);
}

void Report(benchmark::State& state, double ours, double baseline) {
    const auto n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * ours / n;
    state.counters["baseline_ms"] = 1000 * baseline / n;
    state.counters["ratio"] = ours / baseline;
}

void BM_Import100k(benchmark::State& state) {
    const auto& records = Records();
    const auto csv = Dir() / "import.csv";
    std::string error;
    if (!ExportRecordsCsv(csv, records, error))
        throw std::runtime_error(error);
    double ours = 0, baseline = 0, oursCpu = 0, baselineCpu = 0;
    for (auto _ : state) {
        const std::string plainPath = FreshLedger("plain.mdb");
        const std::string oursPath = FreshLedger("ours.mdb");
        auto t0 = Clock::now();
        const double c0 = ThreadCpuSeconds();
        PlainInsert(plainPath, records);
        const double c1 = ThreadCpuSeconds();
        auto t1 = Clock::now();
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + oursPath);
        db.Open();
        CImportFile file;
        std::vector<std::string> header;
        if (!file.Load(csv, error) || !file.ReadHeader(header, error))
            throw std::runtime_error(error);
        const ImportSummary summary = ImportRecords(
            db, file, MapHeader(header), ImportOptions{ImportKind::Expense, false, false}, nullptr);
        auto t2 = Clock::now();
        oursCpu += ThreadCpuSeconds() - c1;
        baselineCpu += c1 - c0;
        if (summary.nImported != records.size())
            throw std::runtime_error("import lost lines: " + ImportSummaryText(summary));
        baseline += Seconds(t1 - t0);
        ours += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t2 - t1));
    }
    Report(state, ours, baseline);
    // On a machine busy with other work the wall times wait for the processor as well; the
    // processor times show what each side itself cost.
    state.counters["cpu_ratio"] = oursCpu / baselineCpu;
}
BENCHMARK(BM_Import100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

template <class Export> void ExportAgainstFprintf(benchmark::State& state, Export exportRecords) {
    const auto& records = Records();
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        PlainFprintf(Dir() / "plain.csv", records);
        auto t1 = Clock::now();
        exportRecords(records);
        auto t2 = Clock::now();
        baseline += Seconds(t1 - t0);
        ours += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t2 - t1));
    }
    Report(state, ours, baseline);
}

void BM_ExportCsv100k(benchmark::State& state) {
    ExportAgainstFprintf(state, [](const std::vector<ExchangeRecord>& records) {
        std::string error;
        if (!ExportRecordsCsv(Dir() / "ours.csv", records, error))
            throw std::runtime_error(error);
    });
}
BENCHMARK(BM_ExportCsv100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExportXlsx100k(benchmark::State& state) {
    ExportAgainstFprintf(state, [](const std::vector<ExchangeRecord>& records) {
        std::string error;
        if (!ExportRecordsXlsx(Dir() / "ours.xlsx", {{"支出", &records}}, error))
            throw std::runtime_error(error);
    });
}
BENCHMARK(BM_ExportXlsx100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Dir());
    return 0;
}
