#include "plan/PlanTables.h"

#include "backup/BackupFolder.h"
#include "backup/BackupTexts.h"
#include "data/ADODatabase.h"
#include "data/LedgerAdditions.h"
#include "platform/ado/Connection.h"

#include <filesystem>

bool CPlanTables::Present(CADODatabase& db) {
    return db.IsOpen() && CLedgerAdditions::Read(db) >= CLedgerAdditions::kPlan;
}

bool CPlanTables::Ensure(CADODatabase& db, std::string& strError) {
    if (Present(db))
        return true;
    // A ledger on a server has no file here to copy; its server keeps its own backups.
    const std::string path = db.GetActiveConnection()->FilePath();
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
        CBackupFolder folder(path);
        const ado::LedgerCopyResult result = folder.BackUpNow();
        if (!result.Ok()) {
            strError = CBackupTexts::BackupFailed(result, !folder.List().empty());
            return false;
        }
    }
    CLedgerAdditions::Add(db, CLedgerAdditions::kPlan);
    return true;
}
