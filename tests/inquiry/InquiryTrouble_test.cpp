#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "platform/ui/ModalScript.h"
#include "tests/inquiry/InquiryFixture.h"
#include "tests/support/HeldLock.h"

#include <QLineEdit>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using Texts = std::vector<std::string>;

class InquiryTroubleTest : public InquiryFixture {};

bool Mentions(const Texts& shown, const char* words) {
    return shown.size() == 1 && shown[0].find(words) != std::string::npos;
}

// Opened while another program held the ledger, the dialog comes up empty; once the lock is
// gone, a query fills the combos as initialisation would have and lists its records.
TEST_F(InquiryTroubleTest, OpenedWhileLockedQueriesOnceTheLockIsGone) {
    COFFER_FILE_LEDGER_ONLY(); // SQLite's own locks and faults
    AddIncome(7, "爸爸", 1500, "2010-11-17 09:30:00", "工资");
    testing_support::HeldLock lock(m_db.FilePath());
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(Mentions(m_messages.Take(), "正被另一个程序"));
    EXPECT_EQ(dlg.Item<QComboBox>(CInquiryDlg::IDC_MEMBER)->count(), 0);
    lock.Release();

    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    EXPECT_EQ(Ids(dlg), (std::vector<std::string>{"7"}));
    auto* member = dlg.Item<QComboBox>(CInquiryDlg::IDC_MEMBER);
    EXPECT_EQ(member->count(), 3);
    EXPECT_EQ(member->currentText().toStdString(), "爸爸");
    EXPECT_EQ(dlg.Item<QComboBox>(CInquiryDlg::IDC_ITEM)->currentText().toStdString(), "工资");
    EXPECT_TRUE(m_messages.Texts().empty());
}

// The file is damaged in the middle of the year's records: the rows read before the damaged
// part are not the answer, so the list is emptied and the damage is told.
TEST_F(InquiryTroubleTest, AReadErrorPartWayEmptiesTheList) {
    COFFER_FILE_LEDGER_ONLY(); // SQLite's own locks and faults
    m_db.Exec("WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 3000) "
              "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
              "SELECT '妈妈', k, '2010-06-01 08:00:00', '餐饮', "
              "printf('MARK-%05d-', k) || hex(zeroblob(100)) FROM n");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    ASSERT_EQ(List(dlg).GetItemCount(), 3000);

    // Overwrite the page that holds record 2000 with bytes no page starts with.
    std::string bytes;
    {
        std::ifstream in(m_db.FilePath(), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const size_t at = bytes.find("MARK-02000-");
    ASSERT_NE(at, std::string::npos);
    const size_t pageSize = std::stoul(m_db.Scalar("pragma page_size"));
    {
        std::fstream out(m_db.FilePath(), std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(static_cast<std::streamoff>(at / pageSize * pageSize));
        const std::string garbage(pageSize, '\xEE');
        out.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }

    // A fresh dialog, so that no page of the file is remembered from before.
    CPayInquiryDlg damaged;
    ASSERT_TRUE(damaged.Create());
    damaged.ClickButton(CInquiryDlg::IDC_TODAY); // nothing today: the totals of no rows
    ASSERT_EQ(List(damaged).GetItemCount(), 0);
    const std::string noTotals = damaged.GetDlgItemText(CInquiryDlg::IDC_TOTALS);
    damaged.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    EXPECT_TRUE(Mentions(m_messages.Take(), "已损坏"));
    EXPECT_EQ(List(damaged).GetItemCount(), 0);
    EXPECT_EQ(damaged.GetDlgItemText(CInquiryDlg::IDC_TOTALS), noTotals);
}

// Dates another tool stored that do not read as dates are listed as stored, and stay so
// in the list after an edit that left the date alone.
TEST_F(InquiryTroubleTest, DatesThatDoNotReadAsDatesAreListedAsStored) {
    COFFER_FILE_LEDGER_ONLY(); // a server's date column holds only dates
    AddPay(1, "爸爸", 10, "2010-13-45 99:99:99", "餐饮");
    AddPay(2, "妈妈", 20, "2010-02-30 10:00:00", "交通");
    AddPay(3, "孩子", 30, "2010-11-17 09:00:00", "教育");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    ASSERT_EQ(Ids(dlg), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(RowOf(dlg, "1")[3], "2010-13-45 99:99:99");
    EXPECT_EQ(RowOf(dlg, "2")[3], "2010-02-30 10:00:00");
    EXPECT_EQ(RowOf(dlg, "3")[3], "2010-11-17 09时");

    ui::ModalScript editors;
    editors.Then([](ui::Dialog& editor) {
        editor.Item<QLineEdit>(1026)->setText(QStringLiteral("11"));
        editor.ClickButton(1061);
        return ui::IDCANCEL; // the editor ends itself when it has written
    });
    for (int row = 0; row < List(dlg).GetItemCount(); ++row)
        List(dlg).SetSelected(row, List(dlg).GetItemText(row, 0) == "2");
    dlg.SendCommand(32809);
    EXPECT_EQ(RowOf(dlg, "2"),
              (std::vector<std::string>{"2", "11.0", "妈妈", "2010-02-30 10:00:00", "交通"}));
    EXPECT_EQ(m_db.Scalar("SELECT 支出日期 FROM normalPay WHERE 编号 = 2"), "2010-02-30 10:00:00");
    EXPECT_TRUE(m_messages.Texts().empty());
}

} // namespace
