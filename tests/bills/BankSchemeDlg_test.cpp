#include "bills/BankSchemeDlg.h"
#include "bills/BillDlg.h"

#include "accounts/AccountStore.h"
#include "controls/ReportCtrl.h"
#include "platform/ui/FileDialogScript.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "tests/bills/BankFiles.h"
#include "tests/bills/BillFiles.h"
#include "tests/bills/XlsFiles.h"
#include "tests/support/TestDb.h"

#include <QComboBox>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bank_files::Line;
using testing_support::TestDb;

const std::vector<Line>& kMarch = bank_files::March();

class BankSchemeDlgTest : public testing::Test {
protected:
    BankSchemeDlgTest() {
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(db.Open());
        for (const char* name : {"工资卡(5678)", "招商银行(1234)"}) {
            CAccount account;
            account.strName = name;
            account.strKind = "储蓄卡";
            account.nOpening = 10000;
            account.strOpeningDate = "2024-01-01";
            account.nOrder = 5;
            EXPECT_EQ(CAccountStore(db).Save(account), "");
            m_nCard = account.nId;
        }
    }

    // The statement as CSV, or as an old Excel file when `name` ends in .xls.
    std::string Statement(const std::string& name, const std::vector<Line>& lines) {
        const std::string path = (m_db.Directory() / name).string();
        const bool bXls = name.size() > 4 && name.compare(name.size() - 4, 4, ".xls") == 0;
        bill_files::Write(path, bXls ? xls_files::Workbook(xls_files::Statement(lines))
                                     : bank_files::SignedCsv(lines));
        return path;
    }

    static std::string Combo(ui::Dialog& dlg, int id) {
        return dlg.Item<QComboBox>(id)->currentText().toStdString();
    }
    static std::string Cell(CBillDlg& dlg, int row, int column) {
        return dlg.Item<CReportCtrl>(CBillDlg::IDC_ROWS)->GetItemText(row, column);
    }

    // Opens the statement in 导入账单 as 选择文件… does.
    void Choose(CBillDlg& dlg, const std::string& path) {
        m_files.Answer(ui::FileDialogAnswer{path, 0});
        dlg.ClickButton(CBillDlg::IDC_CHOOSE_FILE);
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
    ui::FileDialogScript m_files;
    ui::ModalScript m_modal;
    std::int64_t m_nCard = 0; // 招商银行(1234)
};

// The first statement of a bank (CSV or old Excel file) opens 导入方案 with its columns
// guessed and its card's account chosen; once saved, the rows are listed and go into that
// account, and the next statement of the same heading needs no question at all.
class BankSchemeDlgFileTest : public BankSchemeDlgTest,
                              public testing::WithParamInterface<const char*> {};

TEST_P(BankSchemeDlgFileTest, FirstStatementSavesASchemeTheNextImportsInOneStep) {
    const std::string first = std::string("三月") + GetParam();
    const bool bXls = std::string(GetParam()) == ".xls";
    m_modal.Then([bXls](ui::Dialog& scheme) {
        EXPECT_EQ(scheme.TemplateId(), CBankSchemeDlg::IDD);
        EXPECT_EQ(scheme.GetDlgItemText(CBankSchemeDlg::IDC_HEADER),
                  "记账日期，交易金额，余额，摘要，对方户名");
        EXPECT_EQ(Combo(scheme, int(CBankSchemeDlg::IDC_COLUMN_FIRST) + BankDate), "记账日期");
        EXPECT_EQ(Combo(scheme, int(CBankSchemeDlg::IDC_COLUMN_FIRST) + BankAmount), "交易金额");
        EXPECT_EQ(Combo(scheme, int(CBankSchemeDlg::IDC_COLUMN_FIRST) + BankIn), "（无）");
        EXPECT_EQ(Combo(scheme, int(CBankSchemeDlg::IDC_COLUMN_FIRST) + BankCounterparty), "对方户名");
        EXPECT_EQ(Combo(scheme, CBankSchemeDlg::IDC_ACCOUNT), "招商银行(1234)");
        EXPECT_EQ(scheme.GetDlgItemText(CBankSchemeDlg::IDC_NAME), "招商银行(1234)");
        if (const char* shot =
                std::getenv(bXls ? "COFFER_BANK_XLS_SCHEME_SHOT" : "COFFER_BANK_SCHEME_SHOT"))
            scheme.grab().save(shot);
        scheme.SetDlgItemText(CBankSchemeDlg::IDC_NAME, "招行");
        scheme.ClickButton(CBankSchemeDlg::IDC_SAVE);
        return ui::IDCANCEL; // the save has ended the run already
    });
    CBillDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, Statement(first, kMarch));
    EXPECT_EQ(m_modal.Runs(), std::vector<int>{CBankSchemeDlg::IDD});
    ASSERT_EQ(dlg.Item<CReportCtrl>(CBillDlg::IDC_ROWS)->GetItemCount(), 3);
    EXPECT_EQ(Cell(dlg, 0, 2), "收入");
    EXPECT_EQ(Cell(dlg, 1, 3), "28.16");
    EXPECT_EQ(Cell(dlg, 1, 5), "招商银行(1234)");
    EXPECT_EQ(Cell(dlg, 1, 6), "云膳过桥米线 消费");
    EXPECT_EQ(dlg.GetDlgItemText(CBillDlg::IDC_STATUS),
              "导入方案“招行”：银行账单共 3 行：记入 3 行，可能重复 0 行，不记 0 行。");
    if (const char* shot =
            std::getenv(bXls ? "COFFER_BANK_XLS_PREVIEW_SHOT" : "COFFER_BANK_PREVIEW_SHOT"))
        dlg.grab().save(shot);
    dlg.ClickButton(CBillDlg::IDC_IMPORT);
    EXPECT_TRUE(m_messages.Questions().empty()) << "the balances agree";
    EXPECT_EQ(m_messages.Texts().back(),
              "导入完成！收入 1 笔，支出 2 笔，转账 0 笔，不记 0 笔，出错 0 笔。");

    CBillDlg next;
    ASSERT_TRUE(next.Create());
    Choose(next, Statement("又一次.csv", kMarch));
    EXPECT_EQ(m_modal.Runs().size(), 1u) << "no scheme asked for again";
    EXPECT_EQ(Cell(next, 2, 7), "以前导入过");
}

INSTANTIATE_TEST_SUITE_P(Files, BankSchemeDlgFileTest, testing::Values(".csv", ".xls"),
                         [](const testing::TestParamInfo<const char*>& each) {
                             return std::string(each.param + 1);
                         });

// An old Excel statement can be chosen; a broken one is refused, named.
TEST_F(BankSchemeDlgTest, BrokenOldExcelFileIsRefused) {
    const std::string path = (m_db.Directory() / "明细.xls").string();
    bill_files::Write(path, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'));
    CBillDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, path);
    EXPECT_TRUE(m_modal.Runs().empty());
    ASSERT_EQ(m_messages.Texts().size(), 1u);
    EXPECT_EQ(m_messages.Texts()[0].rfind("“明细.xls”不是完好的 Excel 文件（.xls），读不出账单", 0), 0u);
    EXPECT_FALSE(dlg.GetDlgItem(CBillDlg::IDC_IMPORT)->isEnabled());
}

// A balance the account's records do not reach is named with both amounts and asked about:
// 否 writes nothing, 是 writes it all.
TEST_F(BankSchemeDlgTest, BalanceThatPartsIsAskedAbout) {
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    CBankScheme scheme = GuessBankScheme({"记账日期", "交易金额", "余额", "摘要", "对方户名"});
    scheme.strName = "招行";
    scheme.nAccount = m_nCard;
    ASSERT_EQ(CBankSchemeStore(db).Save(scheme), "");
    std::vector<Line> lines = kMarch;
    lines[2].balance = "5159.84";
    CBillDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, Statement("三月.csv", lines));
    m_messages.Answer(ui::IDNO);
    dlg.ClickButton(CBillDlg::IDC_IMPORT);
    EXPECT_EQ(m_messages.Questions(),
              std::vector<std::string>{"第 8 行（2024-03-05）的余额对不上：账单上是 5159.84，按账户"
                                       "“招商银行(1234)”的记录算出来是 5059.84。\n仍然导入吗？"});
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay"), "0");
    m_messages.Answer(ui::IDYES);
    dlg.ClickButton(CBillDlg::IDC_IMPORT);
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay"), "2");
}

// 导入方案… lists the schemes saved; one chosen is renamed to the name typed, and deleted
// once the question is answered 是.
TEST_F(BankSchemeDlgTest, SchemesAreRenamedAndDeletedInTheList) {
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    CBankScheme scheme = GuessBankScheme({"记账日期", "交易金额", "余额", "摘要", "对方户名"});
    scheme.nAccount = m_nCard;
    for (const char* name : {"工行", "招行"}) {
        scheme.strName = name;
        ASSERT_EQ(CBankSchemeStore(db).Save(scheme), "");
    }
    m_modal.Then([this](ui::Dialog& list) {
        auto* schemes = list.Item<CReportCtrl>(CBankSchemeDlg::IDC_SCHEMES);
        EXPECT_EQ(schemes->GetItemCount(), 2);
        EXPECT_FALSE(list.GetDlgItem(CBankSchemeDlg::IDC_SAVE)->isEnabled());
        EXPECT_FALSE(list.GetDlgItem(CBankSchemeDlg::IDC_RENAME)->isEnabled());
        const int row = schemes->GetItemText(0, 0) == "招行" ? 0 : 1;
        EXPECT_EQ(schemes->GetItemText(row, 1), "招商银行(1234)");
        schemes->SetSelected(row, true);
        list.SendNotify(CBankSchemeDlg::IDC_SCHEMES, ui::Notification::Click, row);
        EXPECT_EQ(list.GetDlgItemText(CBankSchemeDlg::IDC_NAME), "招行");
        list.SetDlgItemText(CBankSchemeDlg::IDC_NAME, "工行");
        list.ClickButton(CBankSchemeDlg::IDC_RENAME);
        EXPECT_EQ(list.GetDlgItemText(CBankSchemeDlg::IDC_STATUS), "已经有一个这样名字的导入方案！");
        list.SetDlgItemText(CBankSchemeDlg::IDC_NAME, "工资卡");
        list.ClickButton(CBankSchemeDlg::IDC_RENAME);
        EXPECT_EQ(list.GetDlgItemText(CBankSchemeDlg::IDC_STATUS), "导入方案已改名！");
        if (const char* shot = std::getenv("COFFER_BANK_LIST_SHOT"))
            list.grab().save(shot);
        for (int each = 0; each < schemes->GetItemCount(); ++each)
            schemes->SetSelected(each, schemes->GetItemText(each, 0) == "工资卡");
        list.SendNotify(CBankSchemeDlg::IDC_SCHEMES, ui::Notification::Click, 0);
        m_messages.Answer(ui::IDYES);
        list.ClickButton(CBankSchemeDlg::IDC_DELETE);
        EXPECT_EQ(schemes->GetItemCount(), 1);
        EXPECT_EQ(schemes->GetItemText(0, 0), "工行");
        return ui::IDCANCEL;
    });
    CBillDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CBillDlg::IDC_SCHEMES);
    EXPECT_EQ(m_modal.Runs(), std::vector<int>{CBankSchemeDlg::IDD});
    EXPECT_EQ(m_messages.Questions(), std::vector<std::string>{"删除导入方案“工资卡”吗？"});
    EXPECT_EQ(m_db.Query("SELECT 名称 FROM bankScheme"),
              (std::vector<std::vector<std::string>>{{"工行"}}));
}

} // namespace
