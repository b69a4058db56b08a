// The main window's login states, navigation tree, settings menu and ending.
#include "app/CofferDlg.h"
#include "backup/BackupFolder.h"
#include "backup/LedgerBackups.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "platform/ui/PopupScript.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QTreeWidget* TreeOf(const CCofferDlg& dlg) {
    return dlg.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE);
}

void ExpectLoggedOut(const CCofferDlg& dlg) {
    EXPECT_EQ(TreeOf(dlg)->topLevelItemCount(), 0);
    EXPECT_FALSE(dlg.GetDlgItem(CCofferDlg::IDC_SETTINGS)->isEnabled());
    EXPECT_EQ(dlg.GetDlgItemText(CCofferDlg::IDC_STATUS), "请登陆");
}

TEST(CofferDlgTest, StartsLoggedOut) {
    ui::ModalScript script;
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ExpectLoggedOut(dlg);
    EXPECT_EQ(dlg.windowTitle().toStdString(), "银匣 V1.00");
    // An empty tree opens nothing.
    dlg.SendNotify(CCofferDlg::IDC_NAV_TREE, ui::Notification::DblClk);
    EXPECT_TRUE(script.Runs().empty());
}

TEST(CofferDlgTest, LogoutWhileLoggedOutChangesNothing) {
    ui::MessageRecorder messages;
    ui::ModalScript script;
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(dlg.ClickButton(CCofferDlg::IDC_LOGOUT));
    ExpectLoggedOut(dlg);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_TRUE(script.Runs().empty());
}

TEST(CofferDlgTest, LogoutEmptiesTheTreeAndDisablesTheSettings) {
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.BuildNavigationTree();
    dlg.EnableItem(CCofferDlg::IDC_SETTINGS, true);
    dlg.SetDlgItemText(CCofferDlg::IDC_STATUS, "root");
    dlg.ClickButton(CCofferDlg::IDC_LOGOUT);
    ExpectLoggedOut(dlg);
}

TEST(CofferDlgTest, BuildingTheTreeTwiceLeavesNineItems) {
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.BuildNavigationTree();
    dlg.BuildNavigationTree();
    QTreeWidget* tree = TreeOf(dlg);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"日常管理", {"日常收入", "日常支出"}},
        {"日常查询", {"收入查询", "支出查询", "收支统计", "搜索", "账户余额"}},
    };
    int total = 0;
    for (int top = 0; top < 2; ++top) {
        QTreeWidgetItem* parent = tree->topLevelItem(top);
        EXPECT_EQ(parent->text(0).toStdString(), expected[top].first);
        EXPECT_FALSE(parent->isExpanded());
        EXPECT_FALSE(parent->icon(0).isNull());
        ASSERT_EQ(parent->childCount(), static_cast<int>(expected[top].second.size()));
        for (int child = 0; child < parent->childCount(); ++child) {
            QTreeWidgetItem* item = parent->child(child);
            EXPECT_EQ(item->text(0).toStdString(), expected[top].second[child]);
            EXPECT_EQ(item->childCount(), 0);
            EXPECT_FALSE(item->icon(0).isNull());
        }
        total += 1 + parent->childCount();
    }
    EXPECT_EQ(total, 9);
    EXPECT_EQ(tree->selectedItems().size(), 0);
    EXPECT_EQ(tree->property("skin").toString().toStdString(), "TreeCtrlGame");
}

// The right button in the tree is the tree's: a click there opens no window menu, and a
// right double-click shows the empty message box.
TEST(CofferDlgTest, TheRightButtonInTheTreeBelongsToTheTree) {
    ui::MessageRecorder messages;
    ui::PopupScript popups;
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.BuildNavigationTree();
    QWidget* viewport = TreeOf(dlg)->viewport();
    const QPoint inside(20, 5);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, inside, viewport->mapToGlobal(inside));
    QApplication::sendEvent(viewport, &menu);
    EXPECT_TRUE(popups.Shown().empty());

    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(inside),
                            QPointF(viewport->mapToGlobal(inside)), Qt::RightButton,
                            Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &doubleClick);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{""});
    EXPECT_TRUE(popups.Shown().empty());
}

// The tree has no label: the status text beside it is not its name.
TEST(CofferDlgTest, TheTreeIsNamedAfterTheWindow) {
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(TreeOf(dlg)->accessibleName().toStdString(), "银匣 V1.00");
}

TEST(CofferDlgTest, TheSettingsButtonIsDeadWhileLoggedOut) {
    ui::PopupScript popups;
    CCofferDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(dlg.ClickButton(CCofferDlg::IDC_SETTINGS));
    EXPECT_TRUE(popups.Shown().empty());
}

// 系统设置 (logged in) pops up the settings menu; its choice reaches the window.
int ChooseFromSettings(int command, ui::ModalScript& script) {
    ui::PopupScript popups;
    popups.Choose(command);
    script.Then([](ui::Dialog& d) {
        d.EnableItem(CCofferDlg::IDC_SETTINGS, true);
        d.ClickButton(CCofferDlg::IDC_SETTINGS);
        return ui::IDCANCEL;
    });
    CCofferDlg dlg;
    const int result = dlg.DoModal();
    EXPECT_EQ(popups.Shown(), (std::vector<std::vector<std::string>>{
                                  {"用户设置", "系统设置", "备份与恢复…", "导入记录…", "预算设置…",
                                   "周期记账…", "账本位置…", "账户设置…", "转账…", "手机记账…", "导入账单…", "退出"}}));
    return result;
}

TEST(CofferDlgTest, ExitFromTheSettingsMenuEndsTheMainWindowAccepted) {
    ui::ModalScript script;
    EXPECT_EQ(ChooseFromSettings(CCofferDlg::ID_EXIT, script), ui::IDOK);
    EXPECT_EQ(script.Runs(), std::vector<int>{102});
}

TEST(CofferDlgTest, SystemSettingsFromTheMenuOpensBaseData) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    ui::ModalScript script;
    EXPECT_EQ(ChooseFromSettings(CCofferDlg::ID_SYSTEM_SETTINGS, script), ui::IDCANCEL);
    EXPECT_EQ(script.Runs(), (std::vector<int>{102, 132}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(CofferDlgTest, BudgetsFromTheMenuOpenTheBudgetWindow) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    ui::ModalScript script;
    EXPECT_EQ(ChooseFromSettings(CCofferDlg::ID_BUDGETS, script), ui::IDCANCEL);
    EXPECT_EQ(script.Runs(), (std::vector<int>{102, 143}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(CofferDlgTest, RecurringFromTheMenuOpensTheTemplatesWindow) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    ui::ModalScript script;
    EXPECT_EQ(ChooseFromSettings(CCofferDlg::ID_RECURRING, script), ui::IDCANCEL);
    EXPECT_EQ(script.Runs(), (std::vector<int>{102, 144}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(CofferDlgTest, UserSettingsFromTheMenuOpensUserAdministration) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    ui::ModalScript script;
    EXPECT_EQ(ChooseFromSettings(CCofferDlg::ID_USER_SETTINGS, script), ui::IDCANCEL);
    EXPECT_EQ(script.Runs(), (std::vector<int>{102, 131}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(CofferDlgTest, BackupFromTheMenuOpensTheBackupWindowOnTheLedger) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    ui::ModalScript script;
    std::string folder;
    script.Then([](ui::Dialog& d) {
        d.EnableItem(CCofferDlg::IDC_SETTINGS, true);
        d.ClickButton(CCofferDlg::IDC_SETTINGS);
        return ui::IDCANCEL;
    });
    script.Then([&](ui::Dialog& d) {
        folder = d.Item<QLabel>(1071)->toolTip().toStdString();
        return ui::IDOK;
    });
    ui::PopupScript popups;
    popups.Choose(CCofferDlg::ID_BACKUP_RESTORE);
    CCofferDlg dlg;
    dlg.DoModal();
    EXPECT_EQ(script.Runs(), (std::vector<int>{102, 141}));
    EXPECT_EQ(folder, "备份文件夹：" + CBackupFolder(CLedgerBackups::LedgerPath()).Folder());
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(CofferDlgTest, LedgerLocationFromTheMenuOpensItsWindow) {
    testing_support::TestDb db;
    ui::MessageRecorder messages;
    ui::ModalScript script;
    EXPECT_EQ(ChooseFromSettings(CCofferDlg::ID_LEDGER_LOCATION, script), ui::IDCANCEL);
    EXPECT_EQ(script.Runs(), (std::vector<int>{102, 146}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(CofferDlgTest, EscEndsTheMainWindow) {
    ui::ModalScript script;
    script.Then([](ui::Dialog& d) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&d, &escape);
        return 42;
    });
    CCofferDlg dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
}

} // namespace
