// The main window's notification-area icon: added with the window, gone with it; closing
// hides the window, the icon brings it back and offers the settings menu.
#include "app/CofferApp.h"
#include "app/CofferDlg.h"
#include "platform/ui/FakeWindowHost.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/ModalScript.h"
#include "platform/ui/PopupScript.h"
#include "platform/ui/TrayIcon.h"
#include "platform/ui/TrayKind.h"

#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

constexpr unsigned kIconId = 100;

// The desktop shows (or lacks) a notification area for the length of a test.
class TrayAvailable {
public:
    explicit TrayAvailable(bool available) { ui::OverrideSystemTrayAvailable(available); }
    ~TrayAvailable() { ui::OverrideSystemTrayAvailable(std::nullopt); }
};

// The desktop's tray is of one kind for the length of a test.
class FakeTray {
public:
    explicit FakeTray(ui::TrayKind kind) { ui::OverrideTrayKind(kind); }
    ~FakeTray() { ui::OverrideTrayKind(std::nullopt); }
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

// On an XEmbed tray the icon is double-clicked; a StatusNotifierItem desktop reports only
// single clicks (Trigger), and there a click must bring the window back.
TEST(TrayIconTest, EachKindOfTrayBringsTheWindowBackItsOwnWay) {
    using Reason = QSystemTrayIcon::ActivationReason;
    const struct {
        ui::TrayKind kind;
        Reason reason;
        bool shows;
    } cases[] = {
        {ui::TrayKind::XEmbed, QSystemTrayIcon::DoubleClick, true},
        {ui::TrayKind::XEmbed, QSystemTrayIcon::Trigger, false},
        {ui::TrayKind::XEmbed, QSystemTrayIcon::MiddleClick, false},
        {ui::TrayKind::StatusNotifier, QSystemTrayIcon::Trigger, true},
        {ui::TrayKind::StatusNotifier, QSystemTrayIcon::DoubleClick, true},
        {ui::TrayKind::StatusNotifier, QSystemTrayIcon::MiddleClick, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " " << c.reason);
        FakeTray tray(c.kind);
        ui::PopupScript popups;
        CCofferDlg dlg;
        ASSERT_TRUE(dlg.Create());
        dlg.show();
        dlg.move(300, 200);
        const QPoint place = dlg.pos();
        dlg.close();
        ASSERT_FALSE(dlg.isVisible());
        emit IconOf(dlg).Native().activated(c.reason);
        EXPECT_EQ(dlg.isVisible(), c.shows);
        if (c.shows) {
            EXPECT_EQ(dlg.pos(), place);
        }
        EXPECT_TRUE(popups.Shown().empty());
        // The right button opens the settings menu on either kind.
        emit IconOf(dlg).Native().activated(QSystemTrayIcon::Context);
        EXPECT_EQ(popups.Shown().size(), 1u);
    }
}

// In a real modal run, on each kind of tray: closing to the tray (however Qt hides a
// dialog) keeps the program running, the icon brings the window back, and only 退出 ends it.
TEST(TrayIconTest, ClosingToTheTrayNeverEndsTheRun) {
    for (const ui::TrayKind kind : {ui::TrayKind::XEmbed, ui::TrayKind::StatusNotifier}) {
        SCOPED_TRACE(static_cast<int>(kind));
        FakeTray tray(kind);
        ui::PopupScript popups;
        popups.Choose(CCofferDlg::ID_EXIT);
        CCofferDlg dlg;
        std::vector<bool> visible;
        bool stuck = false;
        QTimer::singleShot(0, &dlg, [&] { dlg.close(); });
        QTimer::singleShot(20, &dlg, [&] {
            visible.push_back(dlg.isVisible());
            emit IconOf(dlg).Native().activated(kind == ui::TrayKind::StatusNotifier
                                                    ? QSystemTrayIcon::Trigger
                                                    : QSystemTrayIcon::DoubleClick);
            visible.push_back(dlg.isVisible());
            dlg.close();
            dlg.close(); // closing a hidden window again changes nothing
        });
        QTimer::singleShot(40, &dlg, [&] {
            visible.push_back(dlg.isVisible());
            emit IconOf(dlg).Native().activated(QSystemTrayIcon::Context);
        });
        QTimer::singleShot(3000, &dlg, [&] { // a safety net, so a fault fails instead of hanging
            stuck = true;
            dlg.EndDialog(-5);
        });
        EXPECT_EQ(dlg.DoModal(), ui::IDOK); // 退出 ended it
        EXPECT_EQ(visible, (std::vector<bool>{false, true, false}));
        EXPECT_FALSE(stuck);
    }
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
    EXPECT_EQ(popups.Shown()[0],
              (std::vector<std::string>{"用户设置", "系统设置", "备份与恢复…", "导入记录…", "预算设置…", "周期记账…", "账本位置…", "账户设置…", "转账…", "手机记账…", "导入账单…", "退出"}));
    EXPECT_EQ(popups.Positions()[0], QPoint(1500, 1070));
}

// An XEmbed tray's icon is a small window of the program: the right button must reach it
// while the main window runs, shown or hidden.
TEST(TrayIconTest, TheIconsWindowHearsTheRightButtonWhileTheMainWindowRuns) {
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown);
        TrayAvailable tray(true);
        CCofferDlg dlg;
        QWidget icon; // stands for Qt's own window of the icon
        icon.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        icon.resize(22, 22);
        int presses = 0;
        class Presses : public QObject {
        public:
            explicit Presses(int& count) : m_count(count) {}
            bool eventFilter(QObject*, QEvent* event) override {
                m_count += event->type() == QEvent::MouseButtonPress;
                return false;
            }
            int& m_count;
        } counter(presses);
        icon.installEventFilter(&counter);
        QTimer::singleShot(0, &dlg, [&] {
            if (!shown)
                dlg.close();
            icon.show();
            QTest::mousePress(icon.windowHandle(), Qt::RightButton, {}, QPoint(10, 10));
            QTest::mouseRelease(icon.windowHandle(), Qt::RightButton, {}, QPoint(10, 10));
            dlg.EndDialog(ui::IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), ui::IDOK);
        EXPECT_EQ(presses, 1);
    }
}

// Hosts that show an icon's menu themselves are handed the settings menu; a choice in it
// runs the command. On an XEmbed tray the window's own menu is the only one.
TEST(TrayIconTest, TheSettingsMenuIsHandedToHostsThatShowItThemselves) {
    for (const ui::TrayKind kind : {ui::TrayKind::StatusNotifier, ui::TrayKind::XEmbed}) {
        SCOPED_TRACE(static_cast<int>(kind));
        FakeTray tray(kind);
        CCofferDlg dlg;
        ASSERT_TRUE(dlg.Create());
        QMenu* menu = IconOf(dlg).Menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(IconOf(dlg).Native().contextMenu(),
                  kind == ui::TrayKind::StatusNotifier ? menu : nullptr);
        std::vector<std::string> texts;
        for (QAction* action : menu->actions())
            texts.push_back(action->text().toStdString());
        std::vector<std::string> settings;
        const ui::MenuResource resource = ui::MenuResource::Load(129);
        for (const ui::MenuItem& item : resource.GetSubMenu(0)->items)
            settings.push_back(item.text);
        EXPECT_EQ(texts, settings);
        ui::ModalScript script;
        script.Then([](ui::Dialog& d) {
            IconOf(static_cast<CCofferDlg&>(d)).Menu()->actions().back()->trigger(); // 退出
            return -5;
        });
        EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    }
}

} // namespace
