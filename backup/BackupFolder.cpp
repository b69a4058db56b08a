#include "backup/BackupFolder.h"

#include "backup/BackupRotation.h"
#include "data/FormatDateTime.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "data-";
constexpr const char* kSuffix = ".mdb";
constexpr const char* kDamagedPrefix = "damaged-";
constexpr const char* kNamePattern = "%Y%m%d-%H%M%S";
// A restore waits for another copy's lock as long as any write does.
constexpr int kRestoreWaitMs = 3000;
// Longer folder names for a server ledger are cut and end in a checksum.
constexpr std::size_t kServerNameLength = 80;
// A second already taken by a backup gives the next free one.
constexpr int kNameTries = 60;

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A temporary copy ".NAME.PID.part" whose process is gone.
bool IsLeftover(const std::string& name) {
    const std::string suffix = ".part";
    if (name.size() < 8 || name[0] != '.' || name.compare(name.size() - 5, 5, suffix) != 0)
        return false;
    const std::string stem = name.substr(0, name.size() - suffix.size());
    const std::string pid = stem.substr(stem.rfind('.') + 1);
    if (!AllDigits(pid) || pid.size() > 9)
        return false;
    return ::kill(static_cast<pid_t>(std::stol(pid)), 0) != 0 && errno == ESRCH;
}

// A copy's pages reported as part `part` of `parts` of a longer task. Once every page is
// copied the copy is checked, which reports nothing: that is said as work of unknown length
// (a total of 0), so the window shows it busy rather than standing still.
ado::CopyProgress AsPart(const ado::CopyProgress& progress, long long part, long long parts) {
    if (!progress)
        return {};
    return [=](long long done, long long total) {
        if (total <= 0)
            return progress(0, 0);
        const bool goOn = progress(part * total + std::min(done, total), parts * total);
        return done < total ? goOn : progress(0, 0) && goOn;
    };
}

} // namespace

CBackupFolder::CBackupFolder(std::string ledgerPath) : m_strLedger(std::move(ledgerPath)) {
}

std::string CBackupFolder::Folder() const {
    if (!ado::IsServerLedger(m_strLedger))
        return (fs::path(m_strLedger).parent_path() / kFolderName).string();
    // A server ledger has no folder of its own: its backups go to the data folder, one
    // folder for each server ledger.
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = data != nullptr && *data == '/'
                              ? fs::path(data)
                              : fs::path(home ? home : "/") / ".local/share";
    return (base / "coffer" / kFolderName / ServerFolderName(m_strLedger)).string();
}

std::string CBackupFolder::ServerFolderName(const std::string& uri) {
    const std::string described = ado::DescribeLedger(uri);
    std::string name = "server-";
    for (char c : described.substr(described.find("://") + 3))
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ? c : '_';
    // Long ones (a socket path, options) end in a checksum of the whole, so they stay apart.
    if (name.size() > kServerNameLength) {
        std::uint32_t hash = 2166136261u;
        for (unsigned char c : described)
            hash = (hash ^ c) * 16777619u;
        char tail[16];
        std::snprintf(tail, sizeof tail, "-%08x", hash);
        name = name.substr(0, kServerNameLength) + tail;
    }
    return name;
}

std::string CBackupFolder::FileNameFor(const COleDateTime& time) {
    return kPrefix + FormatDateTime(time, kNamePattern) + kSuffix;
}

bool CBackupFolder::ParseFileName(const std::string& name, COleDateTime& time) {
    // data-YYYYMMDD-HHMMSS.mdb
    const std::string prefix = kPrefix, suffix = kSuffix;
    if (name.size() != prefix.size() + 15 + suffix.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string date = name.substr(prefix.size(), 8);
    const std::string clock = name.substr(prefix.size() + 9, 6);
    if (name[prefix.size() + 8] != '-' || !AllDigits(date) || !AllDigits(clock))
        return false;
    time = COleDateTime(std::stoi(date.substr(0, 4)), std::stoi(date.substr(4, 2)),
                        std::stoi(date.substr(6, 2)), std::stoi(clock.substr(0, 2)),
                        std::stoi(clock.substr(2, 2)), std::stoi(clock.substr(4, 2)));
    return time.GetStatus() == COleDateTime::valid && FileNameFor(time) == name;
}

std::string CBackupFolder::FreePathIn(const std::string& folder, const COleDateTime& time) {
    std::error_code ec;
    COleDateTime next = time;
    std::string path = (fs::path(folder) / FileNameFor(next)).string();
    for (int i = 0; i < kNameTries && fs::exists(path, ec); ++i) {
        next = COleDateTime(next.GetOleDate() + 1.0 / 86400.0);
        path = (fs::path(folder) / FileNameFor(next)).string();
    }
    return path;
}

std::vector<BackupEntry> CBackupFolder::List() const {
    std::vector<BackupEntry> entries;
    std::error_code ec;
    for (const fs::directory_entry& file : fs::directory_iterator(Folder(), ec)) {
        BackupEntry entry;
        entry.name = file.path().filename().string();
        if (!file.is_regular_file(ec) || !ParseFileName(entry.name, entry.time))
            continue;
        entry.path = file.path().string();
        entry.size = file.file_size(ec);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const BackupEntry& a, const BackupEntry& b) { return a.time > b.time; });
    return entries;
}

bool CBackupFolder::LedgerChangedSinceBackup() const {
    if (ado::IsServerLedger(m_strLedger)) {
        // A server keeps no time of the last change: a backup a day at most.
        const std::vector<BackupEntry> entries = List();
        const COleDateTime now = COleDateTime::GetCurrentTime();
        return entries.empty() ||
               FormatDateTime(entries.front().time, "%Y%m%d") != FormatDateTime(now, "%Y%m%d");
    }
    std::error_code ec;
    const auto modified = fs::last_write_time(m_strLedger, ec);
    const auto size = fs::file_size(m_strLedger, ec);
    if (ec)
        return true;
    // A backup holds every page of the ledger, so it also has the ledger's size.
    for (const BackupEntry& entry : List()) {
        std::error_code entryError;
        if (fs::last_write_time(entry.path, entryError) == modified && entry.size == size &&
            !entryError)
            return false;
    }
    return true;
}

bool CBackupFolder::FindNewestGood(BackupEntry& entry) const {
    for (const BackupEntry& candidate : List()) {
        if (ado::VerifyRestorableBackup(candidate.path).Ok()) {
            entry = candidate;
            return true;
        }
    }
    return false;
}

void CBackupFolder::RemoveLeftovers() const {
    std::error_code ec;
    for (const fs::directory_entry& file : fs::directory_iterator(Folder(), ec)) {
        const std::string name = file.path().filename().string();
        if (IsLeftover(name)) {
            fs::remove(file.path(), ec);
            fs::remove(file.path().string() + "-journal", ec);
        }
    }
}

ado::LedgerCopyResult CBackupFolder::BackUpNow(const std::vector<std::string>& keep,
                                               const ado::CopyProgress& progress) {
    return Save(keep, AsPart(progress, 0, 1));
}

ado::LedgerCopyResult CBackupFolder::Save(const std::vector<std::string>& keep,
                                          const ado::CopyProgress& progress) {
    std::error_code ec;
    if (!ado::IsServerLedger(m_strLedger) && !fs::exists(m_strLedger, ec))
        return ado::VerifyLedgerFile(m_strLedger); // says the ledger is missing
    if (fs::create_directories(Folder(), ec))
        fs::permissions(Folder(), fs::perms::owner_all, ec);
    RemoveLeftovers();
    const std::string dest = FreePathIn(Folder(), COleDateTime::GetCurrentTime());
    ado::LedgerCopyResult result = ado::BackupLedger(m_strLedger, dest, false, progress);
    // Another copy of Coffer that started in the same second took the name first: its
    // backup is of the same moment, so it stands for both.
    if (result.problem == ado::CopyProblem::DestinationTaken)
        result = ado::VerifyLedgerFile(dest);
    if (result.Ok()) {
        std::vector<std::string> kept = keep;
        kept.push_back(dest);
        Rotate(kept);
    }
    return result;
}

std::vector<std::string> CBackupFolder::Rotate(const std::vector<std::string>& keep) {
    const std::vector<BackupEntry> entries = List();
    std::vector<CBackupRotation::Times> times;
    std::vector<std::size_t> protectedIndexes;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        times.push_back({entries[i].time, CBackupRotation::FileTime(entries[i].path)});
        if (std::find(keep.begin(), keep.end(), entries[i].path) != keep.end())
            protectedIndexes.push_back(i);
    }
    const std::vector<bool> kept =
        CBackupRotation::Keep(times, COleDateTime::GetCurrentTime(), protectedIndexes);
    std::vector<std::string> deleted;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::error_code ec;
        if (!kept[i] && fs::remove(entries[i].path, ec))
            deleted.push_back(entries[i].path);
    }
    return deleted;
}

// A ledger that cannot be backed up because it is damaged is kept as it is, under a name
// the rotation never touches, before a backup takes its place.
bool CBackupFolder::KeepDamagedLedger(std::string& copy) const {
    std::error_code ec;
    copy =
        (fs::path(Folder()) /
         (kDamagedPrefix + FormatDateTime(COleDateTime::GetCurrentTime(), kNamePattern) + kSuffix))
            .string();
    if (!fs::copy_file(m_strLedger, copy, fs::copy_options::overwrite_existing, ec))
        return false;
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write, ec);
    return true;
}

RestoreOutcome CBackupFolder::Restore(const BackupEntry& entry, const ado::CopyProgress& progress) {
    RestoreOutcome outcome;
    // One bar for the whole: the backup checked (busy), the ledger saved (its first half),
    // copied back (its second half), each copy then checked (busy).
    if (progress)
        progress(0, 0);
    outcome.result = ado::VerifyRestorableBackup(entry.path);
    if (!outcome.result.Ok()) {
        outcome.step = RestoreOutcome::BackupRefused;
        return outcome;
    }
    const ado::LedgerCopyResult saved = Save({entry.path}, AsPart(progress, 0, 2));
    if (!saved.Ok()) {
        const bool damaged =
            saved.problem == ado::CopyProblem::LedgerDamaged && saved.file == m_strLedger;
        if (!damaged || !KeepDamagedLedger(outcome.damagedCopy)) {
            outcome.step = RestoreOutcome::CurrentNotSaved;
            outcome.result = saved;
            return outcome;
        }
    }
    outcome.result =
        ado::RestoreLedger(entry.path, m_strLedger, kRestoreWaitMs, AsPart(progress, 1, 2));
    if (!outcome.result.Ok())
        outcome.step = outcome.result.file == entry.path ? RestoreOutcome::BackupRefused
                                                         : RestoreOutcome::NotRestored;
    return outcome;
}
