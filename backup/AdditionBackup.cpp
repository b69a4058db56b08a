#include "backup/AdditionBackup.h"

#include "backup/BackupFolder.h"
#include "backup/BackupTexts.h"
#include "data/ADODatabase.h"
#include "platform/ado/Connection.h"

#include <filesystem>

bool BackUpBeforeAddition(CADODatabase& db, std::string& strError) {
    const std::string path = db.GetActiveConnection()->FilePath();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return true;
    CBackupFolder folder(path);
    const ado::LedgerCopyResult result = folder.BackUpNow();
    if (!result.Ok()) {
        strError = CBackupTexts::BackupFailed(result, !folder.List().empty());
        return false;
    }
    return true;
}
