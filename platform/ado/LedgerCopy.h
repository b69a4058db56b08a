#pragma once

#include <functional>
#include <string>

namespace ado {

/// Why a copy of the ledger was not made, or a file not accepted.
enum class CopyProblem {
    None,
    LedgerMissing,     ///< the file to copy from does not exist
    LedgerUnreadable,  ///< it exists but may not be opened (permissions)
    NotALedger,        ///< not an SQLite file, or not a ledger by its id and tables
    LedgerDamaged,     ///< the file itself fails the integrity check or cannot be read
    LedgerBusy,        ///< another program holds the lock for longer than we wait
    DiskFull,          ///< no space left where the copy goes
    NoPermission,      ///< the destination (or its folder) may not be written
    WriteFailed,       ///< any other failure writing the copy
    Cancelled,         ///< the progress callback asked to stop
    ServerUnreachable, ///< no server answers where the ledger is said to be
    ForeignSchema,     ///< lacks a table of the ledger, or holds an object Coffer does not make
    DestinationTaken,  ///< another program wrote a file under the destination's name meanwhile
};

/// How long the parts of a file ledger's backup took, in seconds, for measuring: the pages
/// copied, the check of the copy, and its flush to disk (which runs beside the check).
struct CopyTimes {
    double copy = 0;
    double check = 0;
    double flush = 0;
};

/// What a check or copy found. On failure `detail` holds the engine's own words and
/// `file` names the file the problem is about.
struct LedgerCopyResult {
    CopyProblem problem = CopyProblem::None;
    std::string detail;
    std::string file;
    /// Records in normalIncome and normalPay of the checked or written file; −1 unknown.
    long long incomeRecords = -1;
    long long payRecords = -1;
    /// The receipts the file keeps and their bytes (thumbnails included); 0 in a ledger from
    /// before receipts, −1 unknown.
    long long pictures = -1;
    long long pictureBytes = -1;
    CopyTimes times; ///< filled by a backup of a file ledger

    bool Ok() const { return problem == CopyProblem::None; }
};

/// Called while a copy runs with the pages done and the pages in all; returning false
/// stops the copy and leaves nothing behind.
using CopyProgress = std::function<bool(long long done, long long total)>;

/// Opens `path` read-only and checks it whole: PRAGMA integrity_check says "ok" and it is
/// a ledger (our id, or the ledger's tables). Fills the record counts. Writes nothing.
LedgerCopyResult VerifyLedgerFile(const std::string& path);

/// VerifyLedgerFile for a backup about to replace the ledger: it must also hold the
/// ledger's tables and no schema object Coffer does not make itself (no one else's trigger,
/// view, table or index). Refused with ForeignSchema, `detail` saying in plain words which.
LedgerCopyResult VerifyRestorableBackup(const std::string& path);

/// The record counts of a ledger file, read-only and without the full check (for
/// listing backups); −1 where they cannot be read.
LedgerCopyResult ReadLedgerCounts(const std::string& path);

/// Writes a verified copy of the ledger at `source` to `dest` with SQLite's online backup,
/// safe while other programs use the ledger: it is written under a temporary name beside
/// `dest`, mode 0600, checked as VerifyLedgerFile does, flushed to disk and only then
/// renamed to `dest`. With `replace` false an existing `dest` is an error and kept. The
/// copy takes the ledger's modification time of the moment it was read. On failure
/// nothing is left at `dest` or under the temporary name.
LedgerCopyResult BackupLedgerFile(const std::string& source, const std::string& dest,
                                  bool replace = false, const CopyProgress& progress = {});

/// Copies the content of the backup at `backup` into the ledger at `ledger` (the same
/// file, so its owner and permissions stay), in one transaction. The backup is verified
/// first and a bad one refused with nothing changed; the ledger must be a ledger (a damaged
/// one that carries our id included). Waits up to `waitMs` for another program's lock, then
/// gives up with LedgerBusy and nothing changed. The ledger is verified afterwards.
/// `progress` is told of the pages; the transaction stays open from the first to the last.
/// The backup is checked as VerifyRestorableBackup does.
LedgerCopyResult RestoreLedgerFile(const std::string& backup, const std::string& ledger,
                                   int waitMs = 3000, const CopyProgress& progress = {});

/// BackupLedgerFile for any ledger: a file, or a ledger on a server (a postgresql:// URI),
/// which is written as a file ledger holding all its tables and rows with their ids, read in
/// one snapshot, so that any backup opens anywhere. Problems about the server name it
/// without its password.
LedgerCopyResult BackupLedger(const std::string& ledger, const std::string& dest,
                              bool replace = false, const CopyProgress& progress = {});

/// RestoreLedgerFile for any ledger: into a server ledger, the backup's rows replace all of
/// its rows in one transaction, ids kept and key sequences past the highest; a backup that
/// fails verification is refused and nothing is changed.
LedgerCopyResult RestoreLedger(const std::string& backup, const std::string& ledger,
                               int waitMs = 3000, const CopyProgress& progress = {});

/// Whether `ledger` names a ledger on a server rather than a file.
bool IsServerLedger(const std::string& ledger);
/// A ledger's name fit for a message or a folder's name: a file's path, or a server
/// ledger's URI without its password.
std::string DescribeLedger(const std::string& ledger);

/// The name under which BackupLedgerFile writes before renaming (a hidden file beside
/// `dest` carrying the process id), so that a folder's owner can tell a leftover one.
std::string TemporaryCopyName(const std::string& dest, long processId);

} // namespace ado
