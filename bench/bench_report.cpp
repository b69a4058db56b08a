// The report list against a bare vector of five strings per row, on 100,000 rows shaped
// like an inquiry result: fill through InsertItem, and sort by the amount and by the date
// column as a heading click does. Each benchmark times our path and its baseline in the
// same run and reports ours ÷ baseline as the counter "ratio".
#include "controls/ReportCtrl.h"
#include "platform/ole/DateTimeParser.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
using Row = std::array<std::string, 5>;
// The machine is shared: thread CPU time is steadier than the wall clock for both sides.
struct Clock {
    using duration = std::chrono::nanoseconds;
    static std::chrono::nanoseconds now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
    }
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = [] {
        const char* const members[] = {"爸爸", "妈妈", "儿子", "女儿", "爷爷"};
        const char* const categories[] = {"工资", "奖金", "利息", "兼职", "礼金", "理财", "其他"};
        std::mt19937 engine(2010);
        std::vector<Row> out;
        out.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            char amount[32];
            std::snprintf(amount, sizeof amount, "%0.1f", (engine() % 500000) / 10.0);
            char date[32];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d时",
                          2000 + static_cast<int>(engine() % 11),
                          1 + static_cast<int>(engine() % 12), 1 + static_cast<int>(engine() % 28),
                          static_cast<int>(engine() % 24));
            out.push_back(Row{std::to_string(i + 1), amount, members[engine() % 5], date,
                              categories[engine() % 7]});
        }
        return out;
    }();
    return rows;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The inquiry dialog's list: five left-aligned columns.
std::unique_ptr<CReportCtrl> MakeList() {
    auto list = std::make_unique<CReportCtrl>();
    const char* const headings[] = {"编号", "收入金额", "收入人员", "收入日期", "收入项目"};
    const int widths[] = {50, 100, 100, 150, 100};
    for (int i = 0; i < 5; ++i)
        list->InsertColumn(i, headings[i], ui::LVCFMT_LEFT, widths[i]);
    list->resize(600, 400);
    list->show();
    return list;
}

void FillList(CReportCtrl& list) {
    for (const Row& row : Rows())
        list.InsertItem(list.GetItemCount(), row[0], row[1], row[2], row[3], row[4]);
}

// A left click on the heading, as the user makes it.
void ClickHeading(CReportCtrl& list, int column) {
    QWidget* viewport = list.GetReportHeader().viewport();
    const QPointF pos(list.GetReportHeader().sectionViewportPosition(column) + 5,
                      list.GetReportHeader().height() / 2);
    const QPointF global = viewport->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
}

void Report(benchmark::State& state, double ours, double baseline) {
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * ours / n;
    state.counters["baseline_ms"] = 1000 * baseline / n;
    state.counters["ratio"] = ours / baseline;
}

void BM_Fill100k(benchmark::State& state) {
    double ours = 0;
    double baseline = 0;
    for (auto _ : state) {
        auto list = MakeList();
        auto start = Clock::now();
        FillList(*list);
        const auto oursTime = Clock::now() - start;
        QCoreApplication::processEvents();

        start = Clock::now();
        std::vector<std::vector<std::string>> plain;
        for (const Row& row : Rows())
            plain.push_back(std::vector<std::string>{row[0], row[1], row[2], row[3], row[4]});
        const auto baseTime = Clock::now() - start;
        benchmark::DoNotOptimize(plain.data());

        ours += Seconds(oursTime);
        baseline += Seconds(baseTime);
        state.SetIterationTime(Seconds(oursTime));
    }
    Report(state, ours, baseline);
}

// The rows as the baseline holds them, made before its clock starts.
std::vector<std::vector<std::string>> PlainRows() {
    std::vector<std::vector<std::string>> plain;
    plain.reserve(Rows().size());
    for (const Row& row : Rows())
        plain.push_back(std::vector<std::string>(row.begin(), row.end()));
    return plain;
}

// The rows in the order of `keys` (the second of each pair); part of the timed work. The
// caller stops its clock before the rows are freed, as the list keeps its rows too.
template <class Keys>
std::vector<std::vector<std::string>> PutInOrder(std::vector<std::vector<std::string>>& plain,
                                                 const Keys& keys) {
    std::vector<std::vector<std::string>> sorted;
    sorted.reserve(plain.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(plain[static_cast<size_t>(key.second)]));
    return sorted;
}

// The baseline: the same texts in a bare vector of five strings per row; the same keys
// worked out once per row, the same comparison, std::stable_sort, the rows put in order.
// `readKey` gives a key what the column needs (its number or its date-time).
double SortPlain(int column, void (*readKey)(CReportSortKey&)) {
    std::vector<std::vector<std::string>> plain = PlainRows();
    struct Entry {
        CReportSortKey first; // the key
        int second;           // the row
    };
    const auto start = Clock::now();
    std::vector<Entry> keys;
    keys.reserve(plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        keys.push_back(
            {CReportSortKey::KindOnly(plain[i][static_cast<size_t>(column)]), static_cast<int>(i)});
        readKey(keys.back().first);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Entry& a, const Entry& b) {
        return CReportSortKey::Compare(a.first, b.first, true) < 0;
    });
    const auto sorted = PutInOrder(plain, keys);
    const double seconds = Seconds(Clock::now() - start);
    benchmark::DoNotOptimize(sorted.data());
    return seconds;
}

// A second, stricter yardstick: keys reduced to one double, compared inline.
double SortPlainDoubles(int column, double (*value)(const std::string&)) {
    std::vector<std::vector<std::string>> plain = PlainRows();
    const auto start = Clock::now();
    std::vector<std::pair<double, int>> keys;
    keys.reserve(plain.size());
    for (size_t i = 0; i < plain.size(); ++i)
        keys.emplace_back(value(plain[i][static_cast<size_t>(column)]), static_cast<int>(i));
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto sorted = PutInOrder(plain, keys);
    const double seconds = Seconds(Clock::now() - start);
    benchmark::DoNotOptimize(sorted.data());
    return seconds;
}

void SortBenchmark(benchmark::State& state, int column, void (*readKey)(CReportSortKey&),
                   double (*value)(const std::string&)) {
    double ours = 0;
    double baseline = 0;
    double doubles = 0;
    for (auto _ : state) {
        auto list = MakeList();
        FillList(*list);
        QCoreApplication::processEvents();

        const auto start = Clock::now();
        ClickHeading(*list, column);
        const auto oursTime = Clock::now() - start;
        if (list->GetReportHeader().m_nSortColumn != column)
            state.SkipWithError("the heading click did not sort");

        baseline += SortPlain(column, readKey);
        doubles += SortPlainDoubles(column, value);
        ours += Seconds(oursTime);
        state.SetIterationTime(Seconds(oursTime));
    }
    Report(state, ours, baseline);
    state.counters["double_keys_ms"] = 1000 * doubles / static_cast<double>(state.iterations());
    state.counters["ratio_double_keys"] = ours / doubles;
}

void BM_SortAmount100k(benchmark::State& state) {
    SortBenchmark(
        state, 1, [](CReportSortKey& key) { key.ReadNumber(); },
        [](const std::string& text) { return CReportSortKey::NumberValue(text); });
}

void BM_SortDate100k(benchmark::State& state) {
    SortBenchmark(
        state, 3, [](CReportSortKey& key) { key.ReadDate(); },
        [](const std::string& text) {
            COleDateTime value;
            return ole::ParseDateTime(text, value) ? value.m_dt : 0.0;
        });
}

// Heap bytes in use, free of what the allocator keeps for later and of resident pages.
double HeapMiB() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

// The heap the same rows take in a bare vector of five strings each.
double PlainRowsMiB() {
    const double before = HeapMiB();
    std::vector<std::vector<std::string>> plain = PlainRows();
    const double used = HeapMiB() - before;
    benchmark::DoNotOptimize(plain.data());
    return used;
}

// The heap one filled list holds (its rows, records and the view's share), against the
// bare rows: ratio = list ÷ bare rows, both measured in this run.
void BM_Memory100k(benchmark::State& state) {
    Rows(); // the source texts are not the list's
    double list = 0;
    for (auto _ : state) {
        const double before = HeapMiB();
        auto filled = MakeList();
        FillList(*filled);
        QCoreApplication::processEvents();
        list = HeapMiB() - before;
        benchmark::DoNotOptimize(filled.get());
    }
    const double plain = PlainRowsMiB();
    state.counters["list_MiB"] = list;
    state.counters["plain_MiB"] = plain;
    state.counters["ratio"] = list / plain;
}

// The bare rows alone, as before (the same figure BM_Memory100k divides by).
void BM_MemoryPlain100k(benchmark::State& state) {
    Rows();
    double plain = 0;
    for (auto _ : state)
        plain = PlainRowsMiB();
    state.counters["plain_MiB"] = plain;
}

} // namespace

BENCHMARK(BM_Fill100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortAmount100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortDate100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Memory100k)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MemoryPlain100k)->Unit(benchmark::kMillisecond)->Iterations(1);
