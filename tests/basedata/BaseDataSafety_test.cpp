#include "tests/basedata/BaseDataFixture.h"
#include "tests/support/FailingVfs.h"
#include "tests/support/HeldLock.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace {

using namespace basedata_test;

constexpr const char* kEmptyType = "类型不能为空，请输入类型！";
constexpr const char* kChangedElsewhere = "这些数据刚被其他程序修改过，已重新读取，请再操作一次！";

bool Mentions(const Texts& shown, const std::string& part) {
    return shown.size() == 1 && shown[0].find(part) != std::string::npos;
}

TEST_F(BaseDataFixture, AnEmptyTypeIsRefusedOnAddAndChange) {
    ShowTable("家庭成员");
    const Rows before = Snapshot("家庭成员");
    struct Case {
        int button;
        const char* selected; // entry clicked first, or nullptr
        const char* remark;
    };
    const Case cases[] = {
        {CBaseDataDlg::IDC_ADD, nullptr, ""},
        {CBaseDataDlg::IDC_ADD, nullptr, "有备注"},
        {CBaseDataDlg::IDC_CHANGE, "孩子", ""},
        {CBaseDataDlg::IDC_CHANGE, "爸爸", "一家之主"},
    };
    for (const Case& c : cases) {
        if (c.selected != nullptr)
            SelectEntry(c.selected);
        Type("", c.remark);
        dialog->ClickButton(c.button);
        EXPECT_EQ(messages.Take(), Texts{kEmptyType}) << c.button << c.remark;
        EXPECT_EQ(Snapshot("家庭成员"), before) << c.button << c.remark;
        EXPECT_EQ(ShownTypes(), kMembers);
    }
}

// Older ledgers may hold entries without a text: they can be deleted and named.
TEST_F(BaseDataFixture, BlankEntriesCanBeDeletedAndNamed) {
    db.Exec("insert into 家庭成员 (类型, 备注) values (NULL, '空的'), ('', '也空')");
    ShowTable("家庭成员");
    ASSERT_EQ(ShownTypes(), (Texts{"爸爸", "妈妈", "孩子", "", ""}));

    ClickRow(entries, 3);
    EXPECT_EQ(dialog->GetDlgItemText(CBaseDataDlg::IDC_TYPE), "");
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);
    EXPECT_EQ(Stored("家庭成员"),
              (Rows{{"爸爸", kNull}, {"妈妈", kNull}, {"孩子", kNull}, {"", "也空"}}));

    ClickRow(entries, 3);
    Type("舅舅", "也空");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    EXPECT_EQ(Stored("家庭成员"),
              (Rows{{"爸爸", kNull}, {"妈妈", kNull}, {"孩子", kNull}, {"舅舅", "也空"}}));
    EXPECT_EQ(ShownTypes(), (Texts{"爸爸", "妈妈", "孩子", "舅舅"}));

    // With no blank entry left, an empty text is not found.
    Type("", "");
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);
    EXPECT_EQ(messages.Take(), Texts{"没有此数据项，请重新选项！"});
    EXPECT_EQ(StoredTypes("家庭成员").size(), 4u);
}

// Another copy holds the write lock: the reorder cannot start, and the list keeps the
// table's order.
TEST_F(BaseDataFixture, AReorderThatCannotStartLeavesTheListAsTheTable) {
    COFFER_FILE_LEDGER_ONLY();
    ShowTable("家庭成员");
    const Rows before = Snapshot("家庭成员");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.FilePath().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    SelectEntry("孩子");
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    EXPECT_TRUE(Mentions(messages.Take(), "database is locked"));
    EXPECT_EQ(ShownTypes(), kMembers);
    EXPECT_EQ(entries->GetFirstSelectedItem(), 2);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Snapshot("家庭成员"), before);
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    EXPECT_EQ(StoredTypes("家庭成员"), (Texts{"爸爸", "孩子", "妈妈"}));
    EXPECT_EQ(ShownTypes(), StoredTypes("家庭成员"));
    EXPECT_TRUE(messages.Texts().empty());
}

// The disk fills while the table is rewritten; SQLite ends the transaction itself, and
// what the user is told is that the disk is full.
TEST_F(BaseDataFixture, AFullDiskDuringAReorderIsNamedAndChangesNothing) {
    COFFER_FILE_LEDGER_ONLY();
    testing_support::FailingVfs vfs;
    Open();
    ShowTable("支出类型");
    const Rows before = Snapshot("支出类型");
    const Texts order = ShownTypes();
    SelectEntry("医疗");

    for (int button : {CBaseDataDlg::IDC_MOVE_UP, CBaseDataDlg::IDC_MOVE_DOWN}) {
        vfs.Set(testing_support::FailingVfs::Fault::DiskFull);
        dialog->ClickButton(button);
        vfs.Set(testing_support::FailingVfs::Fault::None);
        EXPECT_TRUE(Mentions(messages.Take(), "database or disk is full")) << button;
        EXPECT_EQ(Snapshot("支出类型"), before) << button;
        EXPECT_EQ(ShownTypes(), order) << button;
        EXPECT_EQ(entries->GetItemText(entries->GetFirstSelectedItem(), 0), "医疗");
    }

    // With room again the same press stores the order.
    dialog->ClickButton(CBaseDataDlg::IDC_MOVE_UP);
    EXPECT_EQ(StoredTypes("支出类型"), ShownTypes());
    EXPECT_NE(ShownTypes(), order);
    EXPECT_TRUE(messages.Texts().empty());
}

// Two copies run: whatever the other one did to the table since this list was read, a
// reorder here does not write the list over it.
TEST_F(BaseDataFixture, AReorderDoesNotOverwriteWhatAnotherCopyChanged) {
    const char* changes[] = {
        "insert into 家庭成员 (类型) values ('外婆')",
        "delete from 家庭成员 where 类型 = '妈妈'",
        "update 家庭成员 set 备注 = '小名' where 类型 = '孩子'",
        "update 家庭成员 set 类型 = '爸爸' where 类型 = '妈妈'",
        "delete from 家庭成员; insert into 家庭成员 (类型) values ('孩子'), ('爸爸'), ('妈妈')",
    };
    for (const char* change : changes) {
        db.Exec("delete from 家庭成员; insert into 家庭成员 (类型) values ('爸爸'), ('妈妈'), "
                "('孩子')");
        ShowTable("家庭成员");
        db.Exec(change);
        const Rows changed = Stored("家庭成员");

        SelectEntry("爸爸");
        dialog->ClickButton(CBaseDataDlg::IDC_MOVE_DOWN);
        EXPECT_EQ(messages.Take(), Texts{kChangedElsewhere}) << change;
        EXPECT_EQ(Stored("家庭成员"), changed) << change;
        Rows changedAsShown = changed;
        for (auto& row : changedAsShown)
            for (auto& cell : row)
                if (cell == kNull)
                    cell.clear();
        EXPECT_EQ(Shown(), changedAsShown) << change;
        Texts storedTypes = StoredTypes("家庭成员");

        // The list now shows the table: the next press stores its order.
        ClickRow(entries, 0);
        dialog->ClickButton(CBaseDataDlg::IDC_MOVE_DOWN);
        std::swap(storedTypes[0], storedTypes[1]);
        EXPECT_EQ(StoredTypes("家庭成员"), storedTypes) << change;
        EXPECT_TRUE(messages.Take().empty()) << change;
    }
}

// Opened while another program held the ledger, the dialog lists nothing; once the lock is
// gone, a click on the table list lists the tables as initialisation would have.
TEST_F(BaseDataFixture, OpenedWhileLockedListsTheTablesOnceTheLockIsGone) {
    COFFER_FILE_LEDGER_ONLY(); // SQLite's own locks and faults
    testing_support::HeldLock lock(db.FilePath());
    Open();
    EXPECT_TRUE(Mentions(messages.Take(), "正被另一个程序"));
    EXPECT_EQ(tables->GetItemCount(), 0);
    lock.Release();

    ClickRow(tables, -1);
    ASSERT_EQ(tables->GetItemCount(), 3);
    ShowTable("家庭成员");
    EXPECT_EQ(ShownTypes(), kMembers);
    Type("舅舅", "");
    dialog->ClickButton(CBaseDataDlg::IDC_ADD);
    EXPECT_EQ(StoredTypes("家庭成员"), (Texts{"爸爸", "妈妈", "孩子", "舅舅"}));
    EXPECT_TRUE(messages.Texts().empty());
}

} // namespace
