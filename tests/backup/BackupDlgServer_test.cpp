// The 备份与恢复 window on a ledger on the test server: backing up makes a file ledger in the
// data folder, restoring brings its rows back into the server.
#include "backup/BackupDlg.h"
#include "platform/ole/Clock.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <cstdlib>
#include <memory>

namespace {

using Messages = std::vector<std::string>;
using testing_support::TestDb;

class BackupDlgServerTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("COFFER_TEST_PGHOST"))
            GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
        setenv("COFFER_TEST_ENGINE", "server", 1);
        m_db = std::make_unique<TestDb>();
        ole::SetClock([this] { return m_now; });
    }
    void TearDown() override {
        ole::ResetClock();
        m_dialog.reset();
        m_db.reset();
        unsetenv("COFFER_TEST_ENGINE");
    }
    std::string Cell(int row, int column) const {
        return m_dialog->Item<ui::ListCtrl>(CBackupDlg::IDC_BACKUP_LIST)->GetItemText(row, column);
    }

    std::unique_ptr<TestDb> m_db;
    std::unique_ptr<CBackupDlg> m_dialog;
    COleDateTime m_now{2026, 11, 1, 9, 0, 0};
    ui::MessageRecorder m_messages;
};

TEST_F(BackupDlgServerTest, BacksUpAndRestoresTheServerLedger) {
    m_db->Exec("INSERT INTO normalIncome (收入人员, 收入金额) SELECT '爸爸', i FROM "
               "generate_series(1, 12) i");
    m_dialog = std::make_unique<CBackupDlg>(m_db->Uri());
    ASSERT_TRUE(m_dialog->Create());
    const std::string folder = CBackupFolder(m_db->Uri()).Folder();
    auto* label = m_dialog->Item<QLabel>(CBackupDlg::IDC_BACKUP_FOLDER);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->toolTip().toStdString(), "备份文件夹：" + folder);
    // Too long for its line: shortened in the middle, keeping both ends.
    const QString shown = label->text();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->width());
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("备份文件夹：/")));
    EXPECT_TRUE(shown.endsWith(QString::fromStdString(folder.substr(folder.size() - 6))));

    EXPECT_TRUE(m_dialog->ClickButton(CBackupDlg::IDC_BACKUP_NOW));
    EXPECT_EQ(m_messages.Take(), Messages{"备份完成！"});
    ASSERT_EQ(m_dialog->Entries().size(), 1u);
    EXPECT_EQ(Cell(0, 0), "2026-11-01 09:00:00");
    EXPECT_EQ(Cell(0, 2), "12");
    EXPECT_EQ(Cell(0, 3), "0");

    m_db->Exec("DELETE FROM normalIncome");
    m_now = COleDateTime(2026, 11, 1, 10, 0, 0);
    m_dialog->Item<ui::ListCtrl>(CBackupDlg::IDC_BACKUP_LIST)->SetSelected(0, true);
    m_messages.Answer(ui::IDYES);
    EXPECT_TRUE(m_dialog->ClickButton(CBackupDlg::IDC_RESTORE));
    EXPECT_EQ(m_messages.Take(), (Messages{"要用 2026-11-01 09:00:00 的备份替换现在的账本吗？\n"
                                           "替换前会先把现在的账本备份一份。",
                                           "恢复完成！账本已是 2026-11-01 09:00:00 的样子。"}));
    EXPECT_EQ(m_db->Scalar("SELECT count(*) FROM normalIncome"), "12");
    ASSERT_EQ(m_dialog->Entries().size(), 2u); // the emptied ledger, saved before
    EXPECT_EQ(Cell(0, 2), "0");
    if (const char* shot = std::getenv("COFFER_SCREENSHOT"))
        m_dialog->grab().save(shot);
}

} // namespace
