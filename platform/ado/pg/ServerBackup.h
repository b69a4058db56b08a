#pragma once

#include "platform/ado/LedgerCopy.h"

#include <string>

namespace ado {

/// BackupLedger for a ledger on a server: every table of it with its rows, ids, indexes and
/// key sequences, read in one snapshot, written as a file ledger and sealed like any copy.
LedgerCopyResult BackupServerLedger(const std::string& uri, const std::string& dest, bool replace,
                                    const CopyProgress& progress);

/// RestoreLedger into a ledger on a server: the verified backup's rows replace the server's
/// in one transaction.
LedgerCopyResult RestoreServerLedger(const std::string& backup, const std::string& uri, int waitMs,
                                     const CopyProgress& progress);

} // namespace ado
