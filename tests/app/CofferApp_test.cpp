// Start-up and shut-down order: the skin outlives the main window and its tray icon.
#include "app/CofferApp.h"
#include "app/CofferDlg.h"
#include "backup/BackupFolder.h"
#include "backup/LedgerBackups.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "platform/ui/TrayIcon.h"
#include "platform/ui/WindowMessages.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QPointer>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(CofferAppTest, TheTrayMessageIsRegisteredOnceAndForAll) {
    EXPECT_GE(TrayCallbackMessage, 0xC000u);
    EXPECT_EQ(ui::RegisterWindowMessage("Tray.{47BCDAC1-2E6F-4f9a-9A3F-68A3B97CE33E}"),
              TrayCallbackMessage);
    EXPECT_NE(ui::RegisterWindowMessage("Tray.another"), TrayCallbackMessage);
}

TEST(CofferAppTest, TheMainWindowRunsSkinnedAndIsGoneBeforeTheSkin) {
    const int iconsBefore = ui::TrayIconCount();
    QPointer<QDialog> mainWindow;
    bool skinnedWhileRunning = false;
    bool iconWhileRunning = false;
    ui::ModalScript script;
    script.Then([&](ui::Dialog& d) {
        mainWindow = &d;
        skinnedWhileRunning = !qApp->styleSheet().isEmpty();
        iconWhileRunning = ui::FindTrayIcon(&d, 100) != nullptr;
        d.SendCommand(CCofferDlg::ID_EXIT);
        return ui::IDCANCEL;
    });

    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(script.Runs(), std::vector<int>{102});
    EXPECT_TRUE(skinnedWhileRunning);
    EXPECT_TRUE(iconWhileRunning);
    // The window and its icon are gone; the skin is still there until ExitInstance.
    EXPECT_TRUE(mainWindow.isNull());
    EXPECT_EQ(ui::TrayIconCount(), iconsBefore);
    EXPECT_FALSE(qApp->styleSheet().isEmpty());

    EXPECT_EQ(theApp.ExitInstance(), 0);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST(CofferAppTest, TheLedgerIsBackedUpBeforeTheMainWindowShows) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    std::vector<std::string> backupsWhenShown;
    ui::ModalScript script;
    script.Then([&](ui::Dialog& d) {
        std::error_code ec;
        const std::string folder = CBackupFolder(CLedgerBackups::LedgerPath()).Folder();
        for (const auto& file : std::filesystem::directory_iterator(folder, ec))
            backupsWhenShown.push_back(file.path().filename().string());
        d.SendCommand(CCofferDlg::ID_EXIT);
        return ui::IDCANCEL;
    });
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(theApp.ExitInstance(), 0);
    ASSERT_EQ(backupsWhenShown.size(), 1u);
    EXPECT_EQ(backupsWhenShown[0].rfind("data-", 0), 0u);
    EXPECT_EQ(script.Runs(), std::vector<int>{102});
    EXPECT_TRUE(messages.Texts().empty());
}

} // namespace
