#include "records/NormalIncomEditDlg.h"
#include "records/NormalIncomeDlg.h"
#include "records/NormalPayDlg.h"
#include "records/PayEditDlg.h"

#include "platform/ole/Clock.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/HeldLock.h"
#include "tests/support/TestDb.h"

#include <QComboBox>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;
using testing_support::HeldLock;
using testing_support::TestDb;

constexpr const char* kLockedWords = "正被另一个程序";

bool TellsOfTheLock(const Texts& shown) {
    return shown.size() == 1 && shown[0].find(kLockedWords) != std::string::npos;
}

class RecordReopenTest : public testing::Test {
protected:
    RecordReopenTest() {
        ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 5); });
    }
    ~RecordReopenTest() override { ole::ResetClock(); }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

// Opened while another program held the ledger, the entry dialogs come up empty; once the
// lock is gone, 添加 fills them as they would have been filled and adds.
TEST_F(RecordReopenTest, EntryDialogsOpenedWhileLockedAddOnceTheLockIsGone) {
    COFFER_FILE_LEDGER_ONLY(); // SQLite's own locks and faults
    struct Case {
        std::unique_ptr<CRecordEntryDlg> dialog;
        int amountId;
        const char* query;
    };
    Case cases[] = {
        {std::make_unique<CNormalIncomeDlg>(), 1020,
         "select 收入人员, 收入项目, 收入金额 from normalIncome"},
        {std::make_unique<CNormalPayDlg>(), 1026,
         "select 支出人员, 支出项目, 支出金额 from normalPay"},
    };
    const Rows expected[] = {{{"爸爸", "工资", "1500.0"}}, {{"爸爸", "餐饮", "1500.0"}}};
    int index = 0;
    for (Case& c : cases) {
        HeldLock lock(m_db.FilePath());
        ASSERT_TRUE(c.dialog->Create());
        EXPECT_TRUE(TellsOfTheLock(m_messages.Take()));
        EXPECT_EQ(c.dialog->Item<QComboBox>(1018)->count(), 0);
        lock.Release();

        c.dialog->SetDlgItemText(c.amountId, "1500");
        c.dialog->ClickButton(1016);
        EXPECT_EQ(m_messages.Take(), Texts{"数据添加成功！"});
        EXPECT_EQ(c.dialog->Item<QComboBox>(1018)->count(), 3);
        EXPECT_EQ(c.dialog->Item<QComboBox>(1019)->currentIndex(), 0);
        EXPECT_EQ(m_db.Query(c.query), expected[index++]);
    }
}

// The edit dialogs come up without their record; the first 编辑 after the lock shows it
// and writes nothing the user has not seen, the next writes the change.
TEST_F(RecordReopenTest, EditDialogsOpenedWhileLockedShowTheRecordBeforeWriting) {
    COFFER_FILE_LEDGER_ONLY(); // SQLite's own locks and faults
    struct Case {
        std::unique_ptr<CRecordEditDlg> dialog;
        const char* table;
        int amountId;
        int editId;
    };
    Case cases[] = {
        {std::make_unique<CNormalIncomEditDlg>(), "normalIncome", 1020, 1016},
        {std::make_unique<CPayEditDlg>(), "normalPay", 1026, 1061},
    };
    for (Case& c : cases) {
        m_db.Exec(std::string("insert into ") + c.table +
                  " values (2, '妈妈', 12.5, '2010-11-13 07:17:07', '奖金', '午饭')");
        const std::string query = std::string("select * from ") + c.table;
        const Rows before = m_db.Query(query);
        HeldLock lock(m_db.FilePath());
        c.dialog->m_strId = "2";
        ASSERT_TRUE(c.dialog->Create());
        c.dialog->setResult(-1);
        EXPECT_TRUE(TellsOfTheLock(m_messages.Take()));
        lock.Release();

        c.dialog->ClickButton(c.editId);
        EXPECT_EQ(m_db.Query(query), before);
        EXPECT_EQ(c.dialog->result(), -1);
        EXPECT_EQ(c.dialog->GetDlgItemText(c.amountId), "12.5");
        EXPECT_EQ(c.dialog->GetDlgItemText(1025), "午饭");
        EXPECT_EQ(c.dialog->Item<QComboBox>(1018)->currentText().toStdString(), "妈妈");

        c.dialog->SetDlgItemText(c.amountId, "13");
        c.dialog->ClickButton(c.editId);
        EXPECT_EQ(c.dialog->result(), ui::IDOK);
        EXPECT_EQ(m_db.Query(query)[0][2], "13.0");
        EXPECT_EQ(m_db.Query(query)[0][1], "妈妈");
        EXPECT_EQ(m_db.Query(query)[0][3], "2010-11-13 07:17:07");
        EXPECT_TRUE(m_messages.Texts().empty());
    }
}

} // namespace
