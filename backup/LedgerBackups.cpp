#include "backup/LedgerBackups.h"

#include "backup/BackupDlg.h"
#include "backup/BackupFolder.h"
#include "backup/BackupProgress.h"
#include "backup/BackupTexts.h"
#include "platform/ado/Connection.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/MessageBox.h"

#include <filesystem>

namespace {

constexpr int kConnectionString = 102;

} // namespace

std::string CLedgerBackups::LedgerPath() {
    return ado::Connection::DataSourcePath(ui::LoadResourceString(kConnectionString));
}

void CLedgerBackups::AtStartup(QWidget* owner, const std::string& ledgerPath) {
    CBackupFolder folder(ledgerPath);
    std::error_code ec;
    // A missing or foreign file is the main window's to report, as it always has been.
    if (!std::filesystem::exists(ledgerPath, ec) || !folder.LedgerChangedSinceBackup())
        return;
    ado::LedgerCopyResult result;
    CBackupProgress(owner, CBackupTexts::BackingUp(), true)
        .Run([&](const ado::CopyProgress& progress) { result = folder.BackUpNow({}, progress); });
    if (result.Ok() || result.problem == ado::CopyProblem::NotALedger)
        return;
    if (result.problem != ado::CopyProblem::LedgerDamaged || result.file != ledgerPath) {
        ui::MessageBox(owner, CBackupTexts::BackupFailed(result));
        return;
    }
    BackupEntry newestGood;
    const bool found = folder.FindNewestGood(newestGood);
    if (ui::AskYesNo(owner, CBackupTexts::LedgerDamaged(found ? &newestGood : nullptr)) ==
        ui::IDYES) {
        CBackupDlg dlg(ledgerPath, owner);
        dlg.DoModal();
    }
}

bool CLedgerBackups::BeforeLedgerChange(QWidget* owner, const std::string& ledgerPath) {
    const ado::LedgerCopyResult result = CBackupFolder(ledgerPath).BackUpNow();
    if (!result.Ok())
        ui::MessageBox(owner, CBackupTexts::BackupFailed(result));
    return result.Ok();
}
