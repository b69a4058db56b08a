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

#include "BenchBackup.h"
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

#include <cstdlib>
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

// Expenses with a receipt each until the receipts hold kPictureBytes, a hundred to a
// transaction.
void MakePictureLedger(const std::string& path) {
    std::string error;
    const std::string part = path + ".part";
    fs::remove(part);
    if (!CreateStarterDatabase(part, error))
        throw std::runtime_error(error);
    std::vector<CPreparedPicture> photos;
    for (int seed = 0; seed < 8; ++seed)
        photos.push_back(Photo(seed));
    {
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + part);
        db.Open();
        long long bytes = 0, serial = 0;
        while (bytes < kPictureBytes) {
            InTransaction(db, [&] {
                CADORecordset rs(&db);
                for (int i = 0; i < 100 && bytes < kPictureBytes; ++i, ++serial) {
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

void BM_BackupPictures1G(benchmark::State& state) {
    const char* given = std::getenv("COFFER_BENCH_PICTURES_DB");
    const std::string ledger =
        given ? given : (fs::temp_directory_path() / "coffer-bench-pictures-1g.mdb").string();
    if (!fs::exists(ledger))
        MakePictureLedger(ledger);
    // Room for the backup and the baseline's copy beside the ledger.
    if (fs::space(fs::path(ledger).parent_path()).available < 3 * fs::file_size(ledger)) {
        state.SkipWithError("not enough free disk for two copies of the ledger");
        for (auto _ : state) {
        }
        return;
    }
    bench::RaceBackups(state, ledger, [](const ado::LedgerCopyResult& result) {
        return result.pictureBytes >= kPictureBytes;
    });
}
BENCHMARK(BM_BackupPictures1G)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
