#pragma once

#include "platform/ado/LedgerCopy.h"
#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <string>
#include <vector>

/// One backup in the folder: a file named data-YYYYMMDD-HHMMSS.mdb (local time).
struct BackupEntry {
    std::string path;
    std::string name;
    COleDateTime time;
    std::uintmax_t size = 0;
};

/// What a restore came to.
struct RestoreOutcome {
    enum Step {
        Done,
        BackupRefused,   ///< the chosen backup failed verification; nothing was changed
        CurrentNotSaved, ///< the ledger as it is could not be saved first; nothing was changed
        NotRestored,     ///< the copy into the ledger failed; the ledger is as it was
    };
    Step step = Done;
    ado::LedgerCopyResult result;
    /// Where a damaged ledger was kept as it was before the restore, when it was.
    std::string damagedCopy;
};

/// The backups of one ledger, in the folder "backups" beside it (for a ledger on a server, in
/// a folder of its own under backups/ in the data folder, $XDG_DATA_HOME/coffer): listing,
/// making a new one (named after the clock's time, then rotated), and restoring one.
class CBackupFolder {
public:
    static constexpr const char* kFolderName = "backups";

    explicit CBackupFolder(std::string ledgerPath);

    const std::string& LedgerPath() const { return m_strLedger; }
    std::string Folder() const;
    /// The folder name for a server ledger's backups: its place without the password.
    static std::string ServerFolderName(const std::string& uri);

    /// The backup name for a time, and the time a backup name stands for.
    static std::string FileNameFor(const COleDateTime& time);
    static bool ParseFileName(const std::string& name, COleDateTime& time);
    /// The path in `folder` for a backup made at `time`: its name, or that of the next
    /// second not taken yet.
    static std::string FreePathIn(const std::string& folder, const COleDateTime& time);

    /// The backups, newest first; other files in the folder are not backups.
    std::vector<BackupEntry> List() const;
    /// False when a backup of the ledger as it is now exists (it carries the ledger's
    /// modification time of the moment it was read); for a server ledger, when one was made
    /// today.
    bool LedgerChangedSinceBackup() const;
    /// The newest backup that passes verification; false when there is none.
    bool FindNewestGood(BackupEntry& entry) const;

    /// Makes a verified backup now, then rotates; the new backup and the files in `keep`
    /// are never deleted. Earlier backups are untouched when it fails. `progress` is told of
    /// the pages copied, then of the check as work of unknown length (a total of 0).
    ado::LedgerCopyResult BackUpNow(const std::vector<std::string>& keep = {},
                                    const ado::CopyProgress& progress = {});
    /// Deletes what the rotation does not keep; the deleted paths.
    std::vector<std::string> Rotate(const std::vector<std::string>& keep);

    /// Checks the backup, saves the ledger as it is, then copies the backup's content into
    /// the ledger and verifies it. `progress` is told of it as one task: the two copies'
    /// pages as its halves, the checks as work of unknown length (a total of 0).
    RestoreOutcome Restore(const BackupEntry& entry, const ado::CopyProgress& progress = {});

private:
    ado::LedgerCopyResult Save(const std::vector<std::string>& keep,
                               const ado::CopyProgress& progress);
    void RemoveLeftovers() const;
    bool KeepDamagedLedger(std::string& copy) const;

    std::string m_strLedger;
};
