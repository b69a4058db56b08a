#include "backup/LedgerBackups.h"

#include "backup/BackupDlg.h"
#include "backup/BackupFolder.h"
#include "backup/BackupProgress.h"
#include "backup/BackupTexts.h"
#include "platform/ado/Connection.h"
#include "platform/ado/LedgerLocation.h"
#include "platform/ui/MessageBox.h"

#include <filesystem>

namespace {

// Opening a ledger hashes the passwords an older one keeps as plain text; done before the
// backup, no backup of the ledger holds them, even when no one logs in. What keeps the
// ledger from opening is the main window's to report.
void HashPlainPasswords(const std::string& ledgerPath) {
    try {
        ado::Connection connection;
        connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ledgerPath, "", "", 0);
    } catch (const std::exception&) {
    }
}

} // namespace

std::string CLedgerBackups::LedgerPath() {
    // The household ledger is wherever the setting says, as the connection finds it.
    return ado::LedgerLocation::Resolve(ado::LedgerLocation::kHouseholdName);
}

void CLedgerBackups::AtStartup(QWidget* owner, const std::string& ledgerPath) {
    CBackupFolder folder(ledgerPath);
    std::error_code ec;
    // A missing or foreign file is the main window's to report, as it always has been.
    if (!ado::IsServerLedger(ledgerPath) && !std::filesystem::exists(ledgerPath, ec))
        return;
    HashPlainPasswords(ledgerPath);
    if (!folder.LedgerChangedSinceBackup())
        return;
    ado::LedgerCopyResult result;
    CBackupProgress(owner, CBackupTexts::BackingUp(), true)
        .Run([&](const ado::CopyProgress& progress) { result = folder.BackUpNow({}, progress); });
    // A server that does not answer is the main window's to report, like a foreign file.
    if (result.Ok() || result.problem == ado::CopyProblem::NotALedger ||
        result.problem == ado::CopyProblem::ServerUnreachable)
        return;
    if (result.problem != ado::CopyProblem::LedgerDamaged || result.file != ledgerPath) {
        ui::MessageBox(owner, CBackupTexts::BackupFailed(result, !folder.List().empty()));
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
    CBackupFolder folder(ledgerPath);
    const ado::LedgerCopyResult result = folder.BackUpNow();
    if (!result.Ok())
        ui::MessageBox(owner, CBackupTexts::BackupFailed(result, !folder.List().empty()));
    return result.Ok();
}
