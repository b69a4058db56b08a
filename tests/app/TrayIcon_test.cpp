// The main window's notification-area icon: added with the window, gone with it; closing
// hides the window, the icon brings it back and offers the settings menu.
#include "app/CofferApp.h"
#include "app/CofferDlg.h"
#include "platform/ui/FakeWindowHost.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/ModalScript.h"
#include "platform/ui/PopupScript.h"
#include "platform/ui/TrayIcon.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr unsigned kIconId = 100;

// The desktop shows (or lacks) a notification area for the length of a test.
class TrayAvailable {
public:
    explicit TrayAvailable(bool available) { ui::OverrideSystemTrayAvailable(available); }
    ~TrayAvailable() { ui::OverrideSystemTrayAvailable(std::nullopt); }
};

ui::TrayIcon& IconOf(CCofferDlg& dlg) {
    ui::TrayIcon* icon = ui::FindTrayIcon(&dlg, kIconId);
    if (icon == nullptr)
        throw std::runtime_error("the main window has no tray icon");
    return *icon;
}

TEST(TrayIconTest, IsAddedWithItsTipAndRemovedWithTheWindow) {
    const int before = ui::TrayIconCount();
    {
        CCofferDlg dlg;
        ASSERT_TRUE(dlg.Create());
        ui::TrayIcon* icon = ui::FindTrayIcon(&dlg, kIconId);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->Tip(), "金匣 V1.10");
        EXPECT_EQ(icon->Native().toolTip().toStdString(), "金匣 V1.10");
        EXPECT_FALSE(icon->Native().icon().isNull());
        EXPECT_EQ(icon->CallbackMessage(), TrayCallbackMessage);
        EXPECT_EQ(ui::TrayIconCount(), before + 1);
    }
    EXPECT_EQ(ui::TrayIconCount(), before);
}

TEST(TrayIconTest, CloseHidesTheWindowAndADoubleClickShowsItWhereItWas) {
    TrayAvailable tray(true);
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    dlg.move(300, 200);
    const QPoint place = dlg.pos();

    dlg.close();
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_NE(ui::FindTrayIcon(&dlg, kIconId), nullptr);

    emit IconOf(dlg).Native().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.pos(), place);
}

TEST(TrayIconTest, CloseOnlyHidesWhileTheDesktopHasANotificationArea) {
    for (bool available : {true, false}) {
        SCOPED_TRACE(available);
        TrayAvailable tray(available);
        ui::ModalScript script;
        script.Then([](ui::Dialog& d) {
            d.close();
            return 42; // the run's result when close did not end it
        });
        CCofferDlg dlg;
        EXPECT_EQ(dlg.DoModal(), available ? 42 : ui::IDCANCEL);
    }
}

// In a real modal run: the window closed to the tray, 退出 from the tray menu still ends
// the program.
TEST(TrayIconTest, ExitFromTheTrayMenuEndsTheRunOfAHiddenWindow) {
    TrayAvailable tray(true);
    ui::PopupScript popups;
    popups.Choose(CCofferDlg::ID_EXIT);
    CCofferDlg dlg;
    bool hiddenWhileRunning = false;
    bool stuck = false;
    QTimer::singleShot(0, &dlg, [&] { dlg.close(); });
    QTimer::singleShot(20, &dlg, [&] {
        hiddenWhileRunning = !dlg.isVisible();
        emit IconOf(dlg).Native().activated(QSystemTrayIcon::Context);
    });
    QTimer::singleShot(3000, &dlg, [&] { // a safety net, so a fault fails instead of hanging
        stuck = true;
        dlg.show();
        dlg.done(-5);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_TRUE(hiddenWhileRunning);
    EXPECT_FALSE(stuck);
}

TEST(TrayIconTest, OnlyDoubleClicksAndRightClicksOnIconHundredDoAnything) {
    TrayAvailable tray(true);
    ui::PopupScript popups;
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    dlg.close();
    struct Case {
        unsigned id;
        unsigned mouse;
    };
    const Case cases[] = {{101, ui::WM_LBUTTONDBLCLK},
                          {101, ui::WM_RBUTTONUP},
                          {0, ui::WM_LBUTTONDBLCLK},
                          {kIconId, 0x200},
                          {kIconId, 0x201},
                          {kIconId, ui::WM_LBUTTONUP},
                          {kIconId, 0x204},
                          {kIconId, 0x206}};
    for (const Case& notice : cases) {
        SCOPED_TRACE(notice.mouse);
        EXPECT_EQ(ui::SendWindowMessage(&dlg, TrayCallbackMessage, notice.id, notice.mouse), 0);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_TRUE(popups.Shown().empty());
    }
    EXPECT_EQ(ui::SendWindowMessage(&dlg, TrayCallbackMessage, kIconId, ui::WM_RBUTTONUP), 0);
    EXPECT_EQ(popups.Shown().size(), 1u);
    EXPECT_EQ(ui::SendWindowMessage(&dlg, TrayCallbackMessage, kIconId, ui::WM_LBUTTONDBLCLK), 0);
    EXPECT_TRUE(dlg.isVisible());
}

TEST(TrayIconTest, TheRightButtonOpensTheSettingsMenuAtTheCursor) {
    ui::FakeWindowHost host;
    host.SetCursorPos({1500, 1070});
    ui::PopupScript popups;
    popups.Choose(CCofferDlg::ID_EXIT);
    ui::ModalScript script;
    script.Then([](ui::Dialog& d) {
        emit IconOf(static_cast<CCofferDlg&>(d)).Native().activated(QSystemTrayIcon::Context);
        return ui::IDCANCEL;
    });
    CCofferDlg dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDOK); // 退出 ended it
    ASSERT_EQ(popups.Shown().size(), 1u);
    EXPECT_EQ(popups.Shown()[0], (std::vector<std::string>{"用户设置", "系统设置", "导入记录…", "退出"}));
    EXPECT_EQ(popups.Positions()[0], QPoint(1500, 1070));
}

} // namespace
