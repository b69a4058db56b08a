// Receipt benchmarks, each against its baseline in the same run.
//
//   BM_EditWith10Pictures  opening the expense edit window of a record with ten receipts
//                          (photos of about 2000 × 1500); ratio = ours / opening the window
//                          of the same record without receipts. Target: ratio <= 1.5.
//   BM_BackupPictures1G    a verified backup of a ledger holding about 1 GB of receipts
//                          (distinct photos, one per expense), raced against SQLite's online
//                          backup in one step plus fsync as BM_Backup1M does (BenchBackup.h).
//                          Target: ratio <= 1.5. Its ledger is made once (a few minutes) and
//                          kept in the temporary folder (or at $COFFER_BENCH_PICTURES_DB);
//                          each run then takes about half a minute and 3 GB of free disk.
//   BM_Pictures2G          5,000 distinct receipts, about 2 GB: the verified backup raced as
//                          BM_BackupPictures1G does (ratio), then a restore from 备份与恢复's
//                          own steps (the backup checked, the ledger saved, copied back and
//                          checked), reporting its time, the longest stretch without a
//                          progress report (a check, which the window shows busy) and the
//                          memory it holds (peak_anon_MB: heap, not the file pages the checks
//                          map). Its ledger is made once (a few minutes) in the temporary
//                          folder (or at $COFFER_BENCH_PICTURES_2G_DB) and needs about 10 GB of
//                          free disk beside it while it runs.

#include "BenchBackup.h"
#include "backup/BackupFolder.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/StarterDatabase.h"
#include "pictures/PicturePrep.h"
#include "pictures/PictureStore.h"
#include "records/PayEditDlg.h"

#include <QCryptographicHash>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <thread>
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
CPreparedPicture Photo(int seed, int width = 2000, int height = 1500) {
    QImage image(width, height, QImage::Format_RGB32);
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

constexpr long long kPictureBytes = 1024LL * 1024 * 1024;

// The photo with a comment segment after its start marker that names `serial`: a picture of
// its own as far as its bytes and hash go, decoding as the photo does.
CPreparedPicture Distinct(const CPreparedPicture& photo, long long serial) {
    CPreparedPicture picture = photo;
    const std::string text = "coffer bench " + std::to_string(serial);
    const auto length = static_cast<unsigned>(text.size() + 2);
    std::string segment = {'\xff', '\xfe', static_cast<char>(length >> 8),
                           static_cast<char>(length & 0xff)};
    segment += text;
    picture.strJpeg.insert(2, segment);
    picture.strHash = QCryptographicHash::hash(QByteArray::fromStdString(picture.strJpeg),
                                               QCryptographicHash::Sha256)
                          .toHex()
                          .toStdString();
    return picture;
}

// What a bench ledger holds: expenses with a distinct receipt each, until there are `count`
// of them and they hold `bytes`, made from a few photos of `width` × `height`.
struct PictureLedgerShape {
    long long bytes = 0;
    long long count = 0;
    int width = 2000;
    int height = 1500;
};

// The ledger of that shape, a hundred expenses to a transaction.
void MakePictureLedger(const std::string& path, const PictureLedgerShape& shape) {
    std::string error;
    const std::string part = path + ".part";
    fs::remove(part);
    if (!CreateStarterDatabase(part, error))
        throw std::runtime_error(error);
    std::vector<CPreparedPicture> photos;
    for (int seed = 0; seed < 8; ++seed)
        photos.push_back(Photo(seed, shape.width, shape.height));
    {
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + part);
        db.Open();
        long long bytes = 0, serial = 0;
        const auto more = [&] { return bytes < shape.bytes || serial < shape.count; };
        while (more()) {
            InTransaction(db, [&] {
                CADORecordset rs(&db);
                for (int i = 0; i < 100 && more(); ++i, ++serial) {
                    rs.Open("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
                            "VALUES ('妈妈', 128.5, '2024-05-01 12:00:00', '交通', '打车')",
                            CADORecordset::ModeUnknown);
                    const CPreparedPicture picture =
                        Distinct(photos[static_cast<size_t>(serial % 8)], serial);
                    bytes += static_cast<long long>(picture.strJpeg.size() +
                                                    picture.strThumbnail.size());
                    if (CPictureStore(db).Attach("normalPay", serial + 1, picture) == 0)
                        throw std::runtime_error("a receipt was not attached");
                }
            });
        }
        db.Close();
    }
    fs::rename(part, path);
}

// Not enough room beside the ledger for `copies` more of it: the benchmark is skipped.
bool SkippedForDisk(benchmark::State& state, const std::string& ledger, int copies) {
    if (fs::space(fs::path(ledger).parent_path()).available >=
        static_cast<std::uintmax_t>(copies) * fs::file_size(ledger))
        return false;
    state.SkipWithError("not enough free disk for the copies of the ledger");
    for (auto _ : state) {
    }
    return true;
}

void BM_BackupPictures1G(benchmark::State& state) {
    const char* given = std::getenv("COFFER_BENCH_PICTURES_DB");
    const std::string ledger =
        given ? given : (fs::temp_directory_path() / "coffer-bench-pictures-1g.mdb").string();
    if (!fs::exists(ledger))
        MakePictureLedger(ledger, {kPictureBytes, 0, 2000, 1500});
    // Room for the backup and the baseline's copy beside the ledger.
    if (SkippedForDisk(state, ledger, 3))
        return;
    bench::RaceBackups(state, ledger, [](const ado::LedgerCopyResult& result) {
        return result.pictureBytes >= kPictureBytes;
    });
}
BENCHMARK(BM_BackupPictures1G)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

constexpr long long kManyPictures = 5000;
constexpr long long kManyPictureBytes = 2LL * 1024 * 1024 * 1024;

// The photo size whose receipts come to about kManyPictureBytes over kManyPictures: the
// JPEG's bytes go roughly with its area, so a second try from the first one's size lands
// close.
PictureLedgerShape ManyPicturesShape() {
    const double wanted = static_cast<double>(kManyPictureBytes / kManyPictures);
    double scale = 1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const CPreparedPicture sample = Photo(0, static_cast<int>(2000 * scale),
                                              static_cast<int>(1500 * scale));
        const double each =
            static_cast<double>(sample.strJpeg.size() + sample.strThumbnail.size());
        scale *= std::sqrt(wanted / each);
    }
    return {0, kManyPictures, static_cast<int>(2000 * scale), static_cast<int>(1500 * scale)};
}

// A line of /proc/self/status in MB ("RssAnon:", "VmHWM:"); −1 when it cannot be read.
double StatusMegabytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(field.size())) / 1024;
    }
    return -1;
}

// The most memory of its own the process holds while it lives: the heap and stacks, sampled,
// apart from file pages mapped for reading (the page cache's, not the program's).
class AnonPeak {
public:
    AnonPeak() : m_sampler([this] {
        while (!m_stop) {
            const double now = StatusMegabytes("RssAnon:");
            m_peak = std::max(m_peak.load(), now);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }) {}
    ~AnonPeak() { Stop(); }
    double Stop() {
        m_stop = true;
        if (m_sampler.joinable())
            m_sampler.join();
        return m_peak;
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<double> m_peak{0};
    std::thread m_sampler;
};

void BM_Pictures2G(benchmark::State& state) {
    const char* given = std::getenv("COFFER_BENCH_PICTURES_2G_DB");
    const std::string ledger =
        given ? given
              : (fs::temp_directory_path() / "coffer-bench-pictures-2g" / "data.mdb").string();
    fs::create_directories(fs::path(ledger).parent_path());
    if (!fs::exists(ledger))
        MakePictureLedger(ledger, ManyPicturesShape());
    // The race's two copies; then the backup restored, the save of the ledger and the
    // journal of the copy back.
    if (SkippedForDisk(state, ledger, 4))
        return;
    bench::RaceBackups(state, ledger, [](const ado::LedgerCopyResult& result) {
        return result.pictures == kManyPictures;
    });

    CBackupFolder folder(ledger);
    const ado::LedgerCopyResult made = folder.BackUpNow();
    if (!made.Ok()) {
        state.SkipWithError(made.detail.c_str());
        return;
    }
    const BackupEntry entry = folder.List().front();
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> reports;
    const double anonBefore = StatusMegabytes("RssAnon:");
    {
        // Resets VmHWM to what is held now, so that it tells the restore's peak.
        std::ofstream("/proc/self/clear_refs") << "5";
    }
    AnonPeak anon;
    const auto start = Clock::now();
    const RestoreOutcome outcome = folder.Restore(entry, [&](long long, long long) {
        reports.push_back(Clock::now());
        return true;
    });
    const auto end = Clock::now();
    const double anonPeak = anon.Stop();
    const double hwm = StatusMegabytes("VmHWM:");
    if (outcome.step != RestoreOutcome::Done || outcome.result.pictures != kManyPictures)
        state.SkipWithError(("the restore failed: " + outcome.result.detail).c_str());
    double longest = 0;
    Clock::time_point previous = start;
    reports.push_back(end);
    for (const Clock::time_point& at : reports) {
        longest = std::max(longest, std::chrono::duration<double>(at - previous).count());
        previous = at;
    }
    std::error_code ec;
    fs::remove_all(folder.Folder(), ec);
    state.counters["pictures"] = static_cast<double>(outcome.result.pictures);
    state.counters["restore_s"] = std::chrono::duration<double>(end - start).count();
    state.counters["restore_reports"] = static_cast<double>(reports.size() - 1);
    state.counters["restore_longest_silence_s"] = longest;
    state.counters["anon_before_MB"] = anonBefore;
    state.counters["restore_peak_anon_MB"] = anonPeak;
    state.counters["restore_peak_rss_MB"] = hwm;
}
BENCHMARK(BM_Pictures2G)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
