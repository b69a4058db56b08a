// Receipt benchmarks, each against its baseline in the same run.
//
//   BM_EditWith10Pictures  opening the expense edit window of a record with ten receipts
//                          (photos of about 2000 × 1500); ratio = ours / opening the window
//                          of the same record without receipts. Target: ratio <= 1.5.

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/StarterDatabase.h"
#include "pictures/PicturePrep.h"
#include "pictures/PictureStore.h"
#include "records/PayEditDlg.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A photo-like picture: a gradient with some noise, so the JPEG is as large as a photo's.
CPreparedPicture Photo(int seed) {
    QImage image(2000, 1500, QImage::Format_RGB32);
    QRandomGenerator random(static_cast<quint32>(seed));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = static_cast<int>(random.bounded(48));
            line[x] = qRgb((x / 8 + seed * 40 + noise) % 256, (y / 6 + noise) % 256,
                           (x + y) / 14 % 256);
        }
    }
    CPreparedPicture picture;
    std::string error;
    if (!CPicturePrep::FromImage(image, picture, error))
        throw std::runtime_error(error);
    return picture;
}

// A folder whose data.mdb holds two identical expense records, the first with ten receipts.
struct BenchFolder {
    BenchFolder() : m_previous(fs::current_path()) {
        m_dir = fs::temp_directory_path() / ("coffer-bench-pictures-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        fs::current_path(m_dir);
        std::string error;
        if (!CreateStarterDatabase((m_dir / "data.mdb").string(), error))
            throw std::runtime_error(error);
        m_db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb");
        m_db.Open();
        CADORecordset rs(&m_db);
        for (int i = 0; i < 2; ++i)
            rs.Open("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
                    "('妈妈', 128.5, '2024-05-01 12:00:00', '交通', '打车')",
                    CADORecordset::ModeUnknown);
        InTransaction(m_db, [this] {
            for (int i = 0; i < 10; ++i)
                CPictureStore(m_db).Attach("normalPay", 1, Photo(i));
        });
    }
    ~BenchFolder() {
        m_db.Close();
        fs::current_path(m_previous);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_previous, m_dir;
    CADODatabase m_db;
};

void OpenEdit(const char* id) {
    CPayEditDlg dialog;
    dialog.m_strId = id;
    if (!dialog.Create())
        throw std::runtime_error("the edit window did not open");
    benchmark::DoNotOptimize(dialog.GetDlgItemText(1026));
}

void BM_EditWith10Pictures(benchmark::State& state) {
    BenchFolder folder;
    double dOurs = 0, dBaseline = 0;
    bool bBaselineFirst = true;
    const auto timed = [](const char* id) {
        const double t0 = ThreadCpuSeconds();
        OpenEdit(id);
        return ThreadCpuSeconds() - t0;
    };
    for (auto _ : state) {
        // In turns, each going first every other time, so neither gains by the other.
        const double a = timed(bBaselineFirst ? "2" : "1");
        const double b = timed(bBaselineFirst ? "1" : "2");
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
BENCHMARK(BM_EditWith10Pictures)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
