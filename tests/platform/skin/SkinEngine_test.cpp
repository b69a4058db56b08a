#include "platform/skin/SkinEngine.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/PopupScript.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// The main window's template, with a recorder for the commands that reach it.
class CommandSink : public ui::Dialog {
public:
    CommandSink() : ui::Dialog(102) {
        for (int id : {32792, 32793, 32794})
            OnCommand(id, [this, id] { m_commands.push_back(id); });
    }
    std::vector<int> m_commands;
};

TEST(SkinEngineTest, LoadAndExitSwitchTheStyleSheet) {
    EXPECT_EQ(dsLoadSkin("ControlSkin", 0), 1);
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("maindialog")));
    EXPECT_EQ(dsLoadSkin("NoSuchSkin", 0), 0);
    EXPECT_FALSE(qApp->styleSheet().isEmpty()); // a failed load leaves the look in place
    EXPECT_EQ(dsExitSkin(), 1);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST(SkinEngineTest, SkinWindowTagsTheWindowAndIgnoresNull) {
    EXPECT_EQ(dsSkinWindow(nullptr, SkinDialog, "maindialog", 1), 0);
    QPushButton button;
    EXPECT_EQ(dsSkinWindow(&button, SkinPushButton, "IcoButtonLogin", 0), 1);
    EXPECT_EQ(button.property("skin").toString().toStdString(), "IcoButtonLogin");
    EXPECT_EQ(button.property("skinKind").toInt(), SkinPushButton);
}

TEST(SkinEngineTest, TreeItemsGetTheSkinsImages) {
    QTreeWidget tree;
    auto* item = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("日常管理")});
    for (const char* image :
         {"tree2.add.all", "tree2.add.income", "tree2.add.pay", "tree2.search.all"}) {
        item->setIcon(0, QIcon());
        EXPECT_EQ(dsSetDrawItemValueEx(&tree, item, 0, "icoitem", image, 0), 1) << image;
        EXPECT_FALSE(item->icon(0).isNull()) << image;
    }
    EXPECT_EQ(dsSetDrawItemValueEx(&tree, item, 0, "icoitem", "no.such.image", 0), 0);
    EXPECT_EQ(dsSetDrawItemValueEx(&tree, nullptr, 0, "icoitem", "tree2.add.all", 0), 0);
}

TEST(SkinEngineTest, ChosenPopupEntryArrivesAsACommand) {
    ui::PopupScript popups;
    popups.Choose(32793);
    popups.Choose(0);
    CommandSink owner;
    ASSERT_TRUE(owner.Create());
    ui::MenuResource menu = ui::MenuResource::Load(129);

    EXPECT_EQ(dsTrackPopupMenu(menu.GetSubMenu(0), 2, 10, 20, &owner, 0), 32793);
    EXPECT_EQ(owner.m_commands, std::vector<int>{32793});
    EXPECT_EQ(dsTrackPopupMenu(menu.GetSubMenu(0), 2, 10, 20, &owner, 0), 0);
    EXPECT_EQ(owner.m_commands, std::vector<int>{32793}); // dismissed: no command
    EXPECT_EQ(dsTrackPopupMenu(nullptr, 2, 10, 20, &owner, 0), 0);

    ASSERT_EQ(popups.Shown().size(), 2u);
    EXPECT_EQ(popups.Shown()[0],
              (std::vector<std::string>{"用户设置", "系统设置", "备份与恢复…", "导入记录…", "预算设置…", "周期记账…", "账本位置…", "账户设置…", "转账…", "手机记账…", "导入账单…", "退出"}));
    EXPECT_EQ(popups.Positions()[0], QPoint(10, 20));
}

} // namespace
