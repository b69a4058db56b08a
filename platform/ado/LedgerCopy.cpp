#include "platform/ado/LedgerCopy.h"

#include "platform/ado/LedgerLocation.h"
#include "platform/ado/pg/PgBackend.h"
#include "platform/ado/pg/ServerBackup.h"

namespace ado {

bool IsServerLedger(const std::string& ledger) {
    return LedgerLocation::IsServer(ledger);
}

std::string DescribeLedger(const std::string& ledger) {
    return IsServerLedger(ledger) ? PgBackend::Describe(ledger) : ledger;
}

LedgerCopyResult BackupLedger(const std::string& ledger, const std::string& dest, bool replace,
                              const CopyProgress& progress) {
    return LedgerLocation::IsServer(ledger) ? BackupServerLedger(ledger, dest, replace, progress)
                                            : BackupLedgerFile(ledger, dest, replace, progress);
}

LedgerCopyResult RestoreLedger(const std::string& backup, const std::string& ledger, int waitMs,
                               const CopyProgress& progress) {
    return LedgerLocation::IsServer(ledger) ? RestoreServerLedger(backup, ledger, waitMs, progress)
                                            : RestoreLedgerFile(backup, ledger, waitMs, progress);
}

} // namespace ado
