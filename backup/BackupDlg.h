#pragma once

#include "backup/BackupFolder.h"
#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

namespace ui {
class ListCtrl;
}

/// 备份与恢复: the backups of the ledger, newest first, with their time, size and record
/// counts; 立即备份 makes one, 恢复 brings the chosen one back after asking, 打开文件夹 shows
/// the folder in the desktop's file manager.
class CBackupDlg : public ui::Dialog {
public:
    enum { IDD = 141 };
    enum ControlId {
        IDC_BACKUP_LIST = 1070,
        IDC_BACKUP_FOLDER = 1071,
        IDC_BACKUP_NOW = 1072,
        IDC_RESTORE = 1073,
        IDC_OPEN_FOLDER = 1074,
    };

    explicit CBackupDlg(const std::string& ledgerPath, QWidget* parent = nullptr);

    /// The backups as listed, row by row.
    const std::vector<BackupEntry>& Entries() const { return m_entries; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void OnBackupNow();
    void OnRestore();
    void OnOpenFolder();
    void FillList();

    CBackupFolder m_folder;
    std::vector<BackupEntry> m_entries;
    ui::ListCtrl* m_listBackups = nullptr;
};
