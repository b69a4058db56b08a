#include "BenchBackup.h"

#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <fcntl.h>
#include <unistd.h>

namespace bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
}

struct PlainTimes {
    double copy = 0;
    double flush = 0;
};

// The baseline: one backup step over every page into a fresh file that keeps no journal and
// syncs nothing by itself, then one fsync of the file.
PlainTimes PlainBackup(const std::string& ledger, const std::string& dest) {
    PlainTimes times;
    const auto start = Clock::now();
    {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(ledger.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        const ado::DatabasePtr src(raw);
        raw = nullptr;
        sqlite3_open_v2(dest.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        const ado::DatabasePtr dst(raw);
        Exec(raw, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
        sqlite3_backup* backup = sqlite3_backup_init(raw, "main", src.get(), "main");
        if (backup == nullptr)
            throw std::runtime_error(sqlite3_errmsg(raw));
        const int rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errstr(rc));
    }
    const auto copied = Clock::now();
    const int fd = ::open(dest.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        throw std::runtime_error("fsync failed");
    ::close(fd);
    times.copy = std::chrono::duration<double>(copied - start).count();
    times.flush = std::chrono::duration<double>(Clock::now() - copied).count();
    return times;
}

} // namespace

void RaceBackups(benchmark::State& state, const std::string& ledger,
                 const std::function<bool(const ado::LedgerCopyResult&)>& whole) {
    const std::string ours = ledger + ".backup";
    const std::string plain = ledger + ".plain";
    double oursSeconds = 0, plainSeconds = 0;
    ado::CopyTimes parts;
    PlainTimes plainParts;
    bool oursFirst = false;
    const auto runPlain = [&] {
        const PlainTimes times = PlainBackup(ledger, plain);
        plainSeconds += times.copy + times.flush;
        plainParts.copy += times.copy;
        plainParts.flush += times.flush;
    };
    for (auto _ : state) {
        fs::remove(ours);
        fs::remove(plain);
        ::sync(); // neither side finds the other's writes still on their way to the disk
        oursFirst = !oursFirst;
        if (!oursFirst) {
            runPlain();
            ::sync();
        }
        const auto start = Clock::now();
        const ado::LedgerCopyResult result = ado::BackupLedgerFile(ledger, ours);
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        if (!result.Ok() || !whole(result)) {
            state.SkipWithError(result.Ok() ? "the backup lacks records" : result.detail.c_str());
            break;
        }
        if (oursFirst) {
            ::sync();
            runPlain();
        }
        oursSeconds += took;
        parts.copy += result.times.copy;
        parts.check += result.times.check;
        parts.flush += result.times.flush;
        state.SetIterationTime(took);
    }
    fs::remove(ours);
    fs::remove(plain);
    const auto n = static_cast<double>(state.iterations());
    state.counters["ratio"] = plainSeconds > 0 ? oursSeconds / plainSeconds : 0;
    state.counters["ours_s"] = oursSeconds / n;
    state.counters["copy_s"] = parts.copy / n;
    state.counters["check_s"] = parts.check / n;
    state.counters["flush_s"] = parts.flush / n;
    state.counters["base_s"] = plainSeconds / n;
    state.counters["base_copy_s"] = plainParts.copy / n;
    state.counters["base_flush_s"] = plainParts.flush / n;
    state.counters["MB"] = static_cast<double>(fs::file_size(ledger)) / (1024 * 1024);
}

} // namespace bench
