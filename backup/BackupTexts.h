#pragma once

#include "backup/BackupFolder.h"

#include <cstdint>
#include <string>

/// Every text the backups show a user, defined once.
class CBackupTexts {
public:
    /// Why a backup was not made, in a few words ("磁盘空间不足").
    static std::string Cause(const ado::LedgerCopyResult& result);
    /// A backup that was not made: the cause, and, when there are any, that the earlier
    /// backups are kept.
    static std::string BackupFailed(const ado::LedgerCopyResult& result, bool bEarlierKept);
    static std::string BackupDone();
    /// The ledger itself is damaged: says so, names the newest good backup (or that there is
    /// none) and asks whether to open the backup window.
    static std::string LedgerDamaged(const BackupEntry* newestGood);
    /// The time of a backup as the window shows it.
    static std::string Time(const BackupEntry& entry);
    /// A file size as the window shows it ("1.2 MB").
    static std::string Size(std::uintmax_t bytes);
    /// A record count, "?" when it could not be read.
    static std::string Count(long long records);
    /// The receipts a backup keeps: "3（1.2 MB）", "0", "?" when they could not be read.
    static std::string Pictures(long long pictures, long long bytes);
    static std::string AskRestore(const BackupEntry& entry);
    static std::string Restored(const BackupEntry& entry, const RestoreOutcome& outcome);
    static std::string RestoreFailed(const RestoreOutcome& outcome);
    static std::string ChooseFirst();
    static std::string FolderNotOpened();
    /// The progress window: its caption, its label while backing up or restoring, its button.
    static std::string Caption();
    static std::string BackingUp();
    static std::string Restoring();
    static std::string Cancel();
};
