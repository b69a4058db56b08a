#include "backup/LedgerAddition.h"

#include "backup/BackupFolder.h"
#include "backup/BackupTexts.h"
#include "data/ADODatabase.h"
#include "data/LedgerAdditions.h"
#include "platform/ado/Connection.h"

#include <filesystem>

bool AddLedgerAddition(CADODatabase& db, int nAddition, std::string& strError) {
    if (CLedgerAdditions::Read(db) >= nAddition)
        return true;
    const std::string path = db.GetActiveConnection()->FilePath();
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
        const ado::LedgerCopyResult result = CBackupFolder(path).BackUpNow();
        if (!result.Ok()) {
            strError = CBackupTexts::BackupFailed(result);
            return false;
        }
    }
    CLedgerAdditions::Add(db, nAddition);
    return true;
}
