#include "app/CofferDlg.h"
#include "app/TreeResponse.h"

#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "platform/ole/Clock.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "platform/ui/PopupScript.h"
#include "stats/StatisticsDlg.h"
#include "tests/support/TestDb.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Row = std::vector<std::string>;

Row RowText(const ui::ListCtrl& list, int row) {
    Row texts;
    for (int column = 0; column < list.GetColumnCount(); ++column)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

// Chooses an entry of a choice list as a click on it does.
void Choose(ui::Dialog& dialog, int id, const char* text) {
    auto* combo = dialog.Item<QComboBox>(id);
    const int index = combo->findText(QString::fromUtf8(text));
    ASSERT_GE(index, 0) << text;
    combo->setCurrentIndex(index);
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const char* text) {
    const auto found = tree->findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

TEST(TreeResponseInquiry, InquiryItemsOpenTheirDialogs) {
    const CTreeResponse response;
    auto pay = response.CreateDialogForItem("支出查询");
    auto income = response.CreateDialogForItem("收入查询");
    EXPECT_NE(dynamic_cast<CPayInquiryDlg*>(pay.get()), nullptr);
    EXPECT_NE(dynamic_cast<CIncomeInquiryDlg*>(income.get()), nullptr);
    ASSERT_TRUE(income);
    EXPECT_EQ(income->parentWidget(), nullptr);
    EXPECT_FALSE(income->IsCreated());
    EXPECT_EQ(response.CreateDialogForItem("收入查询 "), nullptr);
    auto stats = response.CreateDialogForItem("收支统计");
    ASSERT_NE(dynamic_cast<CStatisticsDlg*>(stats.get()), nullptr);
    EXPECT_EQ(stats->parentWidget(), nullptr);
    EXPECT_FALSE(stats->IsCreated());
}

// One record's road: logged in, added through 日常收入, listed by 收入查询's 本月, edited by a
// double-click on its row, then deleted through the row menu.
TEST(RecordRoad, FromEntryThroughTheListToDeletion) {
    testing_support::TestDb db;
    ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 0); });
    ui::MessageRecorder messages;
    ui::PopupScript popups;
    ui::ModalScript script;
    CCofferDlg main;
    ASSERT_TRUE(main.Create());
    auto* tree = main.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE);
    const auto open = [&](const char* item) {
        QTreeWidgetItem* found = FindItem(tree, item);
        ASSERT_NE(found, nullptr) << item;
        tree->setCurrentItem(found);
        main.SendNotify(CCofferDlg::IDC_NAV_TREE, ui::Notification::DblClk);
    };

    // 1. Log in with the pre-filled account.
    script.Then([](ui::Dialog& login) {
        login.ClickButton(ui::IDOK);
        return ui::IDCANCEL;
    });
    main.ClickButton(CCofferDlg::IDC_LOGIN);
    ASSERT_EQ(tree->topLevelItemCount(), 2);

    // 2–4. 日常收入: 1500 for 爸爸 as 工资, now.
    script.Then([&](ui::Dialog& entry) {
        entry.Item<QLineEdit>(1020)->setText("1500");
        Choose(entry, 1018, "爸爸");
        Choose(entry, 1019, "工资");
        entry.ClickButton(1016);
        EXPECT_EQ(messages.Take(), std::vector<std::string>{"数据添加成功！"});
        return ui::IDCANCEL;
    });
    open("日常收入");
    const std::string id = db.Scalar("SELECT 编号 FROM normalIncome");
    ASSERT_NE(id, testing_support::TestDb::kNull);

    // 5–6. 收入查询: 本月 lists it; a double-click edits it; the row menu deletes it.
    script.Then([&](ui::Dialog& inquiry) {
        auto* list = inquiry.Item<ui::ListCtrl>(1050);
        inquiry.ClickButton(1039);
        EXPECT_EQ(list->GetItemCount(), 1);
        // The last columns, 账户 and 凭证, are empty: the entry window gave neither.
        EXPECT_EQ(RowText(*list, 0),
                  (Row{id, "1500.0", "爸爸", "2010-11-17 09时", "工资", "", ""}));

        list->SetSelected(0, true);
        script.Then([](ui::Dialog& editor) {
            EXPECT_EQ(editor.GetDlgItemText(1020), "1500");
            editor.Item<QLineEdit>(1020)->setText("1600");
            Choose(editor, 1018, "妈妈");
            editor.ClickButton(1016);
            return ui::IDCANCEL;
        });
        inquiry.SendNotify(1050, ui::Notification::DblClk, 0);
        EXPECT_EQ(RowText(*list, 0),
                  (Row{id, "1600.0", "妈妈", "2010-11-17 09时", "工资", "", ""}));
        EXPECT_EQ(db.Query("SELECT 收入人员, 收入金额 FROM normalIncome"),
                  (std::vector<Row>{{"妈妈", "1600.0"}}));

        popups.Choose(32802);
        inquiry.SendNotify(1050, ui::Notification::RClick, 0);
        EXPECT_EQ(list->GetItemCount(), 0);
        return ui::IDCANCEL;
    });
    open("收入查询");

    EXPECT_EQ(script.Runs(), (std::vector<int>{130, 133, 136, 138}));
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM normalIncome"), "0");
    EXPECT_TRUE(messages.Texts().empty());
    ole::ResetClock();
}

} // namespace
