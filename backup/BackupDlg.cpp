#include "backup/BackupDlg.h"

#include "backup/BackupProgress.h"
#include "backup/BackupTexts.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/UrlOpener.h"

#include <QLabel>
#include <QUrl>

#include <filesystem>

namespace {

struct Column {
    const char* heading;
    int format;
    int width;
};

const Column kColumns[] = {
    {"备份时间", ui::LVCFMT_LEFT, 170},
    {"大小", ui::LVCFMT_RIGHT, 96},
    {"收入记录", ui::LVCFMT_RIGHT, 96},
    {"支出记录", ui::LVCFMT_RIGHT, 96},
    {"凭证", ui::LVCFMT_RIGHT, 110},
};

} // namespace

CBackupDlg::CBackupDlg(const std::string& ledgerPath, QWidget* parent)
    : ui::Dialog(IDD, parent), m_folder(ledgerPath) {
    OnCommand(IDC_BACKUP_NOW, [this] { OnBackupNow(); });
    OnCommand(IDC_RESTORE, [this] { OnRestore(); });
    OnCommand(IDC_OPEN_FOLDER, [this] { OnOpenFolder(); });
    OnNotify(IDC_BACKUP_LIST, ui::Notification::DblClk, [this](ui::NotifyInfo&) { OnRestore(); });
}

bool CBackupDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    SetDlgItemText(IDC_BACKUP_FOLDER, "备份文件夹：" + m_folder.Folder());
    // A long folder (a server ledger's) is shortened in the middle on its one line; the
    // whole of it shows on pointing at it.
    if (auto* label = Item<QLabel>(IDC_BACKUP_FOLDER)) {
        const QString whole = label->text();
        label->setWordWrap(false);
        label->setToolTip(whole);
        label->setText(label->fontMetrics().elidedText(whole, Qt::ElideMiddle, label->width()));
    }
    m_listBackups = Item<ui::ListCtrl>(IDC_BACKUP_LIST);
    m_listBackups->SetExtendedStyle(ui::LVS_EX_FULLROWSELECT | ui::LVS_EX_GRIDLINES);
    int column = 0;
    for (const Column& entry : kColumns)
        m_listBackups->InsertColumn(column++, entry.heading, entry.format, entry.width);
    FillList();
    return true;
}

void CBackupDlg::FillList() {
    m_entries = m_folder.List();
    m_listBackups->SetRedraw(false);
    m_listBackups->DeleteAllItems();
    for (std::size_t row = 0; row < m_entries.size(); ++row) {
        const BackupEntry& entry = m_entries[row];
        const ado::LedgerCopyResult counts = ado::ReadLedgerCounts(entry.path);
        m_listBackups->InsertItem(static_cast<int>(row),
                                  {CBackupTexts::Time(entry), CBackupTexts::Size(entry.size),
                                   CBackupTexts::Count(counts.incomeRecords),
                                   CBackupTexts::Count(counts.payRecords),
                                   CBackupTexts::Pictures(counts.pictures, counts.pictureBytes)},
                                  static_cast<std::uint32_t>(row));
    }
    m_listBackups->SetRedraw(true);
}

void CBackupDlg::OnBackupNow() {
    ado::LedgerCopyResult result;
    CBackupProgress(this, CBackupTexts::BackingUp(), true)
        .Run([&](const ado::CopyProgress& progress) { result = m_folder.BackUpNow({}, progress); });
    FillList();
    ui::MessageBox(this,
                   result.Ok() ? CBackupTexts::BackupDone()
                               : CBackupTexts::BackupFailed(result, !m_folder.List().empty()));
}

void CBackupDlg::OnRestore() {
    const int row = m_listBackups->GetFirstSelectedItem();
    if (row < 0 || row >= static_cast<int>(m_entries.size())) {
        ui::MessageBox(this, CBackupTexts::ChooseFirst());
        return;
    }
    const BackupEntry entry = m_entries[row];
    if (ui::AskYesNo(this, CBackupTexts::AskRestore(entry)) != ui::IDYES)
        return;
    RestoreOutcome outcome;
    CBackupProgress(this, CBackupTexts::Restoring(), false)
        .Run([&](const ado::CopyProgress& progress) {
            outcome = m_folder.Restore(entry, progress);
        });
    FillList();
    ui::MessageBox(this, outcome.step == RestoreOutcome::Done
                             ? CBackupTexts::Restored(entry, outcome)
                             : CBackupTexts::RestoreFailed(outcome));
}

void CBackupDlg::OnOpenFolder() {
    std::error_code ec;
    std::filesystem::create_directories(m_folder.Folder(), ec);
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(m_folder.Folder()));
    if (!ui::ShellOpenUrl(this, url.toString().toStdString()))
        ui::MessageBox(this, CBackupTexts::FolderNotOpened());
}

void CBackupDlg::OnOK() {
    EndDialog(ui::IDOK);
}
