#include "basedata/BaseDataDlg.h"
#include "tests/basedata/BaseDataFixture.h"

#include "controls/ReportCtrl.h"
#include "controls/ReportHeaderCtrl.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/MessageRecorder.h"
#include "records/NormalIncomeDlg.h"
#include "records/NormalPayDlg.h"
#include "tests/support/TestDb.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace basedata_test;

// The SQL texts that connections opened while it lives hand to the engine, as prepared.
class StatementLog {
public:
    StatementLog() {
        s_pLog = this;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&Attach));
    }
    ~StatementLog() {
        sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&Attach));
        s_pLog = nullptr;
    }
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    // Whether a text ending with `tail` was prepared.
    bool HasEnding(const std::string& tail) const {
        for (const std::string& text : m_texts)
            if (text.size() >= tail.size() &&
                text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
                return true;
        return false;
    }
    bool Has(const std::string& text) const {
        return std::find(m_texts.begin(), m_texts.end(), text) != m_texts.end();
    }
    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    static int Attach(sqlite3* db, char**, const sqlite3_api_routines*) {
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Trace, nullptr);
        return SQLITE_OK;
    }
    static int Trace(unsigned, void*, void* statement, void*) {
        if (s_pLog != nullptr)
            s_pLog->m_texts.push_back(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
        return 0;
    }

    static inline StatementLog* s_pLog = nullptr;
    std::vector<std::string> m_texts;
};
TEST_F(BaseDataFixture, ListsTablesAndShowsTheClickedOneInTableOrder) {
    EXPECT_EQ(dialog->windowTitle().toStdString(), "基础数据管理");
    ASSERT_EQ(tables->GetItemCount(), 3);
    EXPECT_EQ(tables->GetItemText(1, 0), "收入类型");
    EXPECT_EQ(tables->GetFirstSelectedItem(), -1);
    EXPECT_EQ(entries->GetItemCount(), 0);
    EXPECT_EQ(tables->accessibleName().toStdString(), "数据表");
    EXPECT_EQ(entries->accessibleName().toStdString(), "数据项");

    db.Exec("update 家庭成员 set 备注 = '一家之主' where 类型 = '爸爸'");
    ShowTable("家庭成员");
    EXPECT_EQ(Shown(), (Rows{{"爸爸", "一家之主"}, {"妈妈", ""}, {"孩子", ""}}));

    SelectEntry("爸爸");
    EXPECT_EQ(dialog->GetDlgItemText(CBaseDataDlg::IDC_TYPE), "爸爸");
    EXPECT_EQ(dialog->GetDlgItemText(CBaseDataDlg::IDC_REMARK), "一家之主");

    // A click on the empty area below the rows leaves the entries as they were.
    ClickRow(tables, -1);
    EXPECT_EQ(tables->GetFirstSelectedItem(), -1);
    EXPECT_EQ(ShownTypes(), kMembers);

    ShowTable("支出类型");
    EXPECT_EQ(entries->GetItemCount(), 7);
    EXPECT_TRUE(messages.Texts().empty());
}

// Tab goes through the controls as they stand: the table list, the entry list, the two
// edits, then the buttons from the top down.
TEST_F(BaseDataFixture, TabOrderFollowsTheLayout) {
    const std::vector<int> ids = {CBaseDataDlg::IDC_TABLES,    CBaseDataDlg::IDC_ENTRIES,
                                  CBaseDataDlg::IDC_TYPE,      CBaseDataDlg::IDC_REMARK,
                                  CBaseDataDlg::IDC_ADD,       CBaseDataDlg::IDC_DELETE,
                                  CBaseDataDlg::IDC_CHANGE,    CBaseDataDlg::IDC_MOVE_UP,
                                  CBaseDataDlg::IDC_MOVE_DOWN, CBaseDataDlg::IDC_CLOSE};
    const auto idOf = [this, &ids](const QWidget* widget) {
        for (int id : ids)
            if (dialog->GetDlgItem(id) == widget)
                return id;
        return 0;
    };
    std::vector<int> order;
    QWidget* widget = tables;
    for (int step = 0; step < 40 && order.size() < ids.size(); ++step) {
        if (widget->parentWidget() == dialog.get() && (widget->focusPolicy() & Qt::TabFocus))
            order.push_back(idOf(widget));
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(order, ids);
}

TEST_F(BaseDataFixture, NothingIsWrittenBeforeATableIsShown) {
    const Rows before = Snapshot("家庭成员");
    Type("舅舅", "");
    for (int id : {CBaseDataDlg::IDC_ADD, CBaseDataDlg::IDC_DELETE, CBaseDataDlg::IDC_CHANGE,
                   CBaseDataDlg::IDC_MOVE_UP, CBaseDataDlg::IDC_MOVE_DOWN})
        EXPECT_TRUE(dialog->ClickButton(id));
    // Also with a table selected by keyboard only: nothing is shown, so nothing is written.
    tables->SetSelected(0, true);
    EXPECT_TRUE(dialog->ClickButton(CBaseDataDlg::IDC_ADD));
    EXPECT_EQ(Snapshot("家庭成员"), before);
    EXPECT_EQ(entries->GetItemCount(), 0);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, AddAppendsAndRefusesADuplicate) {
    ShowTable("家庭成员");
    Type("奶奶", "外婆家");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    Type("爷爷", "");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    const Rows expected = {
        {"爸爸", kNull}, {"妈妈", kNull}, {"孩子", kNull}, {"奶奶", "外婆家"}, {"爷爷", kNull}};
    EXPECT_EQ(Stored("家庭成员"), expected);
    EXPECT_EQ(ShownTypes(), (Texts{"爸爸", "妈妈", "孩子", "奶奶", "爷爷"}));
    EXPECT_TRUE(messages.Take().empty());

    const Rows before = Snapshot("家庭成员");
    Type("妈妈", "另一个");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    EXPECT_EQ(messages.Take(), Texts{"该类型已存在，无法添加已存在的类型！"});
    EXPECT_EQ(Snapshot("家庭成员"), before);
}

TEST_F(BaseDataFixture, ChangeRewritesTheSelectedEntryEvenToAnExistingText) {
    db.Exec("update 家庭成员 set 备注 = '小名' where 类型 = '孩子'");
    ShowTable("家庭成员");
    SelectEntry("孩子");
    Type("儿子", "");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    EXPECT_EQ(Stored("家庭成员"), (Rows{{"爸爸", kNull}, {"妈妈", kNull}, {"儿子", kNull}}));

    SelectEntry("儿子");
    Type("妈妈", "重名");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    EXPECT_EQ(Stored("家庭成员"), (Rows{{"爸爸", kNull}, {"妈妈", kNull}, {"妈妈", "重名"}}));
    EXPECT_EQ(ShownTypes(), (Texts{"爸爸", "妈妈", "妈妈"}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, DeleteAndChangeOfAMissingEntryAreRefused) {
    ShowTable("家庭成员");
    const Rows before = Snapshot("家庭成员");
    struct Case {
        int button;
        const char* typed;
    };
    const Case cases[] = {
        {CBaseDataDlg::IDC_DELETE, "舅舅"},
        {CBaseDataDlg::IDC_DELETE, ""},
        {CBaseDataDlg::IDC_CHANGE, "舅舅"}, // no entry selected: the old text is ""
    };
    for (const Case& c : cases) {
        Type(c.typed, "");
        dialog->ClickButton(c.button);
        EXPECT_EQ(messages.Take(), Texts{"没有此数据项，请重新选项！"}) << c.button << c.typed;
        EXPECT_EQ(Snapshot("家庭成员"), before) << c.button << c.typed;
    }

    // The selected entry was renamed behind the dialog's back.
    SelectEntry("爸爸");
    db.Exec("update 家庭成员 set 类型 = '父亲' where 类型 = '爸爸'");
    const Rows renamed = Snapshot("家庭成员");
    Type("老爸", "");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    EXPECT_EQ(messages.Take(), Texts{"没有此数据项，请重新选项！"});
    EXPECT_EQ(Snapshot("家庭成员"), renamed);
    ShowTable("家庭成员");

    // Delete finds the entry by what the edit box holds, typed over or not.
    SelectEntry("父亲");
    Type("妈妈", "");
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);
    EXPECT_EQ(StoredTypes("家庭成员"), (Texts{"父亲", "孩子"}));
    EXPECT_EQ(ShownTypes(), (Texts{"父亲", "孩子"}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, QuotesInEntriesAreStoredAsTyped) {
    const std::string pocketMoney = "孩子's 零花钱";
    ShowTable("支出类型");
    Type(pocketMoney, "it's 每周");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    EXPECT_EQ(Stored("支出类型").back(), (Texts{pocketMoney, "it's 每周"}));

    // Found again: a second add is a duplicate.
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    EXPECT_EQ(messages.Take(), Texts{"该类型已存在，无法添加已存在的类型！"});

    SelectEntry(pocketMoney);
    Type("孩子's 压岁钱", "'");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    EXPECT_EQ(Stored("支出类型").back(), (Texts{"孩子's 压岁钱", "'"}));

    SelectEntry("孩子's 压岁钱");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    Texts order = StoredTypes("支出类型");
    ASSERT_EQ(order.size(), 8u);
    EXPECT_EQ(order[6], "孩子's 压岁钱");

    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);
    EXPECT_EQ(StoredTypes("支出类型"),
              (Texts{"餐饮", "交通", "购物", "住房", "医疗", "教育", "其他支出"}));
    EXPECT_TRUE(messages.Texts().empty());
}

// A table named in ordinary words goes into the statements as it is named.
TEST_F(BaseDataFixture, StatementsNameAnOrdinaryTableAsItIs) {
    COFFER_FILE_LEDGER_ONLY(); // reads the texts SQLite was given
    const StatementLog log;
    Open();
    ShowTable("家庭成员");
    Type("奶奶", "");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    SelectEntry("奶奶");
    Type("姥姥", "");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);

    const auto texts = ::testing::PrintToString(log.Texts());
    EXPECT_TRUE(log.HasEnding(" * from 家庭成员 where 类型 = '奶奶'")) << texts;
    EXPECT_TRUE(log.HasEnding(" * from 家庭成员 where 类型 = '姥姥'")) << texts;
    EXPECT_TRUE(log.Has("delete from 家庭成员")) << texts;
    EXPECT_EQ(StoredTypes("家庭成员"), kMembers);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, TableNamesThatNeedQuotingWork) {
    db.CreateListTable("\"老人 \"\"用品\"\"\"");
    db.Exec("insert into \"老人 \"\"用品\"\"\" (类型) values ('拐杖'), ('老花镜');"
            "insert into baseData (类型) values ('老人 \"用品\"')");
    Open();
    ShowTable("老人 \"用品\"");
    EXPECT_EQ(ShownTypes(), (Texts{"拐杖", "老花镜"}));
    Type("助听器", "");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    SelectEntry("助听器");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    Type("拐杖", "");
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);
    EXPECT_EQ(StoredTypes("老人 \"\"用品\"\""), (Texts{"助听器", "老花镜"}));
    EXPECT_TRUE(messages.Texts().empty()) << ::testing::PrintToString(messages.Texts());
}

TEST_F(BaseDataFixture, MovesStoreTheShownOrderAndKeepTheSelection) {
    db.Exec("update 家庭成员 set 备注 = '小名' where 类型 = '孩子'");
    ShowTable("家庭成员");
    SelectEntry("孩子");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    EXPECT_EQ(Stored("家庭成员"), (Rows{{"爸爸", kNull}, {"孩子", "小名"}, {"妈妈", kNull}}));
    dialog->GetDlgItem(CBaseDataDlg::IDC_TYPE)->setFocus();
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    EXPECT_EQ(StoredTypes("家庭成员"), (Texts{"孩子", "爸爸", "妈妈"}));
    EXPECT_EQ(ShownTypes(), StoredTypes("家庭成员"));
    EXPECT_EQ(entries->GetFirstSelectedItem(), 0);
    EXPECT_EQ(dialog->focusWidget(), entries);

    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_DOWN);
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_DOWN);
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_DOWN); // already last
    EXPECT_EQ(Stored("家庭成员"), (Rows{{"爸爸", kNull}, {"妈妈", kNull}, {"孩子", "小名"}}));
    EXPECT_EQ(entries->GetFirstSelectedItem(), 2);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, TheEntryDialogsOfferTheNewOrder) {
    ShowTable("家庭成员");
    SelectEntry("孩子");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    ShowTable("支出类型");
    SelectEntry("其他支出");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);

    const auto items = [](const ui::Dialog& entry, int id) {
        Texts texts;
        const auto* combo = entry.Item<QComboBox>(id);
        for (int i = 0; combo != nullptr && i < combo->count(); ++i)
            texts.push_back(combo->itemText(i).toStdString());
        return texts;
    };
    CNormalIncomeDlg income;
    ASSERT_TRUE(income.Create());
    EXPECT_EQ(items(income, 1018), (Texts{"孩子", "爸爸", "妈妈"}));
    EXPECT_EQ(income.Item<QComboBox>(1018)->currentText().toStdString(), "孩子");
    CNormalPayDlg pay;
    ASSERT_TRUE(pay.Create());
    EXPECT_EQ(items(pay, 1018), (Texts{"孩子", "爸爸", "妈妈"}));
    EXPECT_EQ(items(pay, 1019),
              (Texts{"餐饮", "交通", "购物", "住房", "医疗", "其他支出", "教育"}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, MoveWithNothingToMoveRewritesTheTableUnchanged) {
    using testing_support::TestDb;
    // Start the keys at 2, so a rewrite shows in them.
    db.Exec(
        "delete from 收入类型 where 类型 = '工资'; insert into 收入类型 (类型) values ('工资')");
    const Rows order = Stored("收入类型");
    ShowTable("收入类型");
    ASSERT_EQ(db.Scalar("select min(ID) from 收入类型"), "2");
    // SQLite hands the freed keys out again; the server's keys keep counting.
    const bool bReusesKeys = !TestDb::OnServer();

    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP); // no selection
    EXPECT_EQ(Stored("收入类型"), order);
    EXPECT_NE(db.Scalar("select min(ID) from 收入类型"), "2");
    if (bReusesKeys) {
        EXPECT_EQ(db.Scalar("select min(ID) from 收入类型"), "1");
    }

    db.Exec("delete from 收入类型 where ID = 1; insert into 收入类型 (类型) values ('奖金')");
    ShowTable("收入类型");
    const Rows order2 = Stored("收入类型");
    const std::string strKeyBefore = db.Scalar("select min(ID) from 收入类型");
    SelectEntry(order2.front()[0]);
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP); // first row
    EXPECT_EQ(Stored("收入类型"), order2);
    EXPECT_NE(db.Scalar("select min(ID) from 收入类型"), strKeyBefore);
    if (bReusesKeys) {
        EXPECT_EQ(db.Scalar("select min(ID) from 收入类型"), "1");
    }
    EXPECT_EQ(entries->GetFirstSelectedItem(), 0);
}

TEST_F(BaseDataFixture, MoveAfterAHeadingSortStoresTheSortedOrder) {
    ShowTable("支出类型"); // 餐饮 交通 购物 住房 医疗 教育 其他支出
    auto& header = entries->GetReportHeader();
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(0) + 5, header.height() / 2));
    const Texts sorted = ShownTypes();
    ASSERT_NE(sorted, StoredTypes("支出类型"));

    SelectEntry(sorted[2]);
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_DOWN);
    Texts expected = sorted;
    std::swap(expected[2], expected[3]);
    EXPECT_EQ(ShownTypes(), expected);
    EXPECT_EQ(StoredTypes("支出类型"), expected);
}

TEST_F(BaseDataFixture, WritesGoToTheShownTableWhenTheSelectionMovedWithoutAClick) {
    ShowTable("家庭成员");
    const Rows income = Snapshot("收入类型");
    // The keyboard moves the table selection; the entries still show 家庭成员.
    tables->SetSelected(0, false);
    tables->SetSelected(1, true);
    tables->SetFocusedItem(1);

    SelectEntry("孩子");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    Type("奶奶", "");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    SelectEntry("爸爸");
    Type("爸爸", "改");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    Type("妈妈", "");
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);

    EXPECT_EQ(Stored("家庭成员"), (Rows{{"爸爸", "改"}, {"孩子", kNull}, {"奶奶", kNull}}));
    EXPECT_EQ(Snapshot("收入类型"), income);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, ATableThatFailsToOpenLeavesTheShownOneInCharge) {
    db.Exec("insert into baseData (类型) values ('旧表')");
    Open();
    ShowTable("家庭成员");
    ShowTable("旧表"); // no such table: the engine's error is shown once
    EXPECT_EQ(messages.Take().size(), 1u);
    EXPECT_EQ(ShownTypes(), kMembers);

    SelectEntry("孩子");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    EXPECT_EQ(StoredTypes("家庭成员"), (Texts{"爸爸", "孩子", "妈妈"}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BaseDataFixture, AFailedRewriteLeavesTableAndListAsTheyWere) {
    db.Exec("update 家庭成员 set 备注 = '小名' where 类型 = '孩子'");
    ShowTable("家庭成员");
    const Rows before = Snapshot("家庭成员");
    // The third insert of the rewrite fails.
    db.FailInsertsFrom("家庭成员", 2, "磁盘已满");

    SelectEntry("孩子");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    const Texts shown = messages.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("磁盘已满"), std::string::npos) << shown[0];
    EXPECT_EQ(Snapshot("家庭成员"), before);
    EXPECT_EQ(ShownTypes(), kMembers);
    EXPECT_EQ(entries->GetFirstSelectedItem(), 2);

    // The dialog stays usable: with the fault gone the same press stores the order.
    db.ClearInsertFault("家庭成员");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    EXPECT_EQ(Stored("家庭成员"), (Rows{{"爸爸", kNull}, {"孩子", "小名"}, {"妈妈", kNull}}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(BaseDataDlgTest, WithoutADataFileTheListsStayEmpty) {
    COFFER_FILE_LEDGER_ONLY();
    testing_support::TestDb db;
    std::filesystem::remove(db.FilePath());
    ui::MessageRecorder messages;
    CBaseDataDlg dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(messages.Take().size(), 1u);
    EXPECT_EQ(dialog.Item<ui::ListCtrl>(CBaseDataDlg::IDC_TABLES)->GetItemCount(), 0);
    dialog.Item<QLineEdit>(CBaseDataDlg::IDC_TYPE)->setText(QStringLiteral("舅舅"));
    for (int id : {CBaseDataDlg::IDC_ADD, CBaseDataDlg::IDC_MOVE_UP})
        dialog.ClickButton(id);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_FALSE(std::filesystem::exists(db.FilePath()));
}

} // namespace
