// The 备份与恢复 window, driven by control id.
#include "backup/BackupDlg.h"
#include "backup/BackupTexts.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/UrlRecorder.h"
#include "tests/backup/BackupFixture.h"

#include <QPushButton>
#include <QUrl>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

class BackupDlgTest : public BackupFixture {
protected:
    // Opens the window on the ledger; rows as the list shows them.
    CBackupDlg& Open() {
        m_dialog = std::make_unique<CBackupDlg>(Ledger());
        EXPECT_TRUE(m_dialog->Create());
        return *m_dialog;
    }
    std::vector<std::vector<std::string>> Rows() const {
        auto* list = m_dialog->Item<ui::ListCtrl>(CBackupDlg::IDC_BACKUP_LIST);
        std::vector<std::vector<std::string>> rows;
        for (int row = 0; row < list->GetItemCount(); ++row) {
            std::vector<std::string> cells;
            for (int column = 0; column < list->GetColumnCount(); ++column)
                cells.push_back(column == 1 ? "size" : list->GetItemText(row, column));
            rows.push_back(cells);
        }
        return rows;
    }
    void Choose(int row) {
        m_dialog->Item<ui::ListCtrl>(CBackupDlg::IDC_BACKUP_LIST)->SetSelected(row, true);
    }

    std::unique_ptr<CBackupDlg> m_dialog;
};

TEST_F(BackupDlgTest, ListsTheBackupsNewestFirstWithTimeSizeAndCounts) {
    BackUpOn(1, 100);
    BackUpOn(3, 50);
    std::ofstream(m_folder.Folder() + "/notes.txt") << "not a backup";
    CBackupDlg& dlg = Open();
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{
                          {"2026-11-03 09:00:00", "size", "150", "150", "0"},
                          {"2026-11-01 09:00:00", "size", "100", "100", "0"}}));
    auto* list = dlg.Item<ui::ListCtrl>(CBackupDlg::IDC_BACKUP_LIST);
    EXPECT_EQ(list->GetItemText(0, 1), CBackupTexts::Size(fs::file_size(dlg.Entries()[0].path)));
    EXPECT_EQ(dlg.GetDlgItemText(CBackupDlg::IDC_BACKUP_FOLDER),
              "备份文件夹：" + m_folder.Folder());
}

TEST_F(BackupDlgTest, SizesAndCountsReadAsAPersonExpects) {
    EXPECT_EQ(CBackupTexts::Size(45056), "44 KB");
    EXPECT_EQ(CBackupTexts::Size(5 * 1024 * 1024 + 300 * 1024), "5.3 MB");
    EXPECT_EQ(CBackupTexts::Count(-1), "?");
    EXPECT_EQ(CBackupTexts::Count(1000000), "1000000");
}

TEST_F(BackupDlgTest, BackUpNowAddsTheNewestAndSaysSo) {
    BackUpOn(1, 10);
    CBackupDlg& dlg = Open();
    m_now = COleDateTime(2026, 11, 5, 20, 15, 0);
    testing_support::AddRecords(Ledger(), 5);
    EXPECT_TRUE(dlg.ClickButton(CBackupDlg::IDC_BACKUP_NOW));
    EXPECT_EQ(m_messages.Take(), Messages{"备份完成！"});
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[0], (std::vector<std::string>{"2026-11-05 20:15:00", "size", "15", "15", "0"}));
}

TEST_F(BackupDlgTest, RestoreAsksFirstAndNoLeavesEverythingAsItWas) {
    BackUpOn(1, 10);
    testing_support::AddRecords(Ledger(), 5);
    const std::string before = testing_support::DumpLedger(Ledger());
    CBackupDlg& dlg = Open();
    Choose(0);
    m_messages.Answer(ui::IDNO);
    EXPECT_TRUE(dlg.ClickButton(CBackupDlg::IDC_RESTORE));
    EXPECT_EQ(
        m_messages.Questions(),
        Messages{
            "要用 2026-11-01 09:00:00 的备份替换现在的账本吗？\n替换前会先把现在的账本备份一份。"});
    EXPECT_EQ(m_messages.Texts().size(), 1u);
    EXPECT_TRUE(testing_support::DumpLedger(Ledger()) == before);
    EXPECT_EQ(m_folder.List().size(), 1u);
}

TEST_F(BackupDlgTest, RestoreSavesTheLedgerThenBringsTheChosenBackupBack) {
    const BackupEntry chosen = BackUpOn(1, 10);
    BackUpOn(2, 20);
    testing_support::AddRecords(Ledger(), 5);
    const std::string current = testing_support::DumpLedger(Ledger());
    m_now = COleDateTime(2026, 11, 4, 9, 0, 0);
    CBackupDlg& dlg = Open();
    Choose(1);
    m_messages.Answer(ui::IDYES);
    dlg.ClickButton(CBackupDlg::IDC_RESTORE);
    EXPECT_EQ(m_messages.Texts().back(), "恢复完成！账本已是 2026-11-01 09:00:00 的样子。");
    EXPECT_TRUE(testing_support::DumpLedger(Ledger()) == testing_support::DumpLedger(chosen.path));
    // The ledger as it was is the newest backup now, and the list shows it.
    ASSERT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Rows()[0], (std::vector<std::string>{"2026-11-04 09:00:00", "size", "35", "35", "0"}));
    EXPECT_TRUE(testing_support::DumpLedger(dlg.Entries()[0].path) == current);
}

TEST_F(BackupDlgTest, RestoreWithNothingChosenAsksForAChoice) {
    BackUpOn(1, 10);
    CBackupDlg& dlg = Open();
    dlg.ClickButton(CBackupDlg::IDC_RESTORE);
    EXPECT_EQ(m_messages.Take(), Messages{"请先在列表中选择一份备份！"});
    EXPECT_TRUE(m_messages.Questions().empty());
}

TEST_F(BackupDlgTest, ABackupThatFailsTheCheckIsRefusedAndNothingChanges) {
    BackUpOn(1, 10);
    std::ofstream(m_folder.Folder() + "/data-20261102-090000.mdb") << "SQLite format 3 but not";
    const std::string before = testing_support::DumpLedger(Ledger());
    CBackupDlg& dlg = Open();
    Choose(0);
    m_messages.Answer(ui::IDYES);
    dlg.ClickButton(CBackupDlg::IDC_RESTORE);
    const std::string text = m_messages.Texts().back();
    EXPECT_NE(text.find("不能用来恢复，账本没有改动！"), std::string::npos) << text;
    EXPECT_TRUE(testing_support::DumpLedger(Ledger()) == before);
    EXPECT_EQ(m_folder.List().size(), 2u);
}

TEST_F(BackupDlgTest, WhileAnotherCopyIsWritingRestoreWaitsThenChangesNothing) {
    BackUpOn(1, 10);
    testing_support::AddRecords(Ledger(), 5);
    const std::string before = testing_support::DumpLedger(Ledger());
    m_now = COleDateTime(2026, 11, 2, 9, 0, 0);
    CBackupDlg& dlg = Open();
    Choose(0);
    // Another running copy of Coffer in the middle of a write that takes long.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(Ledger().c_str(), &db);
        sqlite3_exec(db, "BEGIN IMMEDIATE; UPDATE tbUser SET user = 'x'", nullptr, nullptr,
                     nullptr);
        (void)!::write(ready[1], "x", 1);
        ::sleep(6);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    m_messages.Answer(ui::IDYES);
    dlg.ClickButton(CBackupDlg::IDC_RESTORE);
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    EXPECT_EQ(m_messages.Texts().back(),
              "没有恢复：账本正被另一个程序使用，等不到它让出。账本没有改动！");
    EXPECT_TRUE(testing_support::DumpLedger(Ledger()) == before);
}

TEST_F(BackupDlgTest, OpenFolderShowsTheBackupsFolder) {
    ui::UrlRecorder urls;
    CBackupDlg& dlg = Open();
    dlg.ClickButton(CBackupDlg::IDC_OPEN_FOLDER);
    EXPECT_EQ(urls.urls, std::vector<std::string>{
                             QUrl::fromLocalFile(QString::fromStdString(m_folder.Folder()))
                                 .toString()
                                 .toStdString()});
    EXPECT_TRUE(fs::is_directory(m_folder.Folder()));
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(BackupDlgTest, CloseEndsTheWindowAndEveryButtonShowsItsWholeText) {
    BackUpOn(1, 1200);
    BackUpOn(2, 30);
    BackUpOn(3, 45);
    CBackupDlg& dlg = Open();
    for (int id : {int(CBackupDlg::IDC_BACKUP_NOW), int(CBackupDlg::IDC_RESTORE),
                   int(CBackupDlg::IDC_OPEN_FOLDER), ui::IDOK}) {
        auto* button = dlg.Item<QPushButton>(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
            << button->text().toStdString();
    }
    if (const char* shots = std::getenv("COFFER_SCREENSHOTS"))
        dlg.grab().save(QString::fromUtf8(shots) + "/backup.png");
    dlg.ClickButton(ui::IDOK);
    EXPECT_EQ(dlg.result(), ui::IDOK);
}

} // namespace
