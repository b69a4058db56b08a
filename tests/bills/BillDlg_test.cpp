#include "bills/BillDlg.h"

#include "accounts/AccountStore.h"
#include "controls/ReportCtrl.h"
#include "platform/ui/FileDialogScript.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/bills/BillFiles.h"
#include "tests/support/TestDb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bill_files::Payment;
using testing_support::TestDb;

class BillDlgTest : public testing::Test {
protected:
    BillDlgTest() {
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(db.Open());
        for (const auto& [name, kind] : {std::pair<const char*, const char*>{"妈妈的支付宝", "支付宝"},
                                         {"交通银行信用卡7449", "信用卡"}}) {
            CAccount account;
            account.strName = name;
            account.strKind = kind;
            account.strOwner = "爸爸";
            account.strOpeningDate = "2024-01-01";
            account.nOrder = 5;
            EXPECT_EQ(CAccountStore(db).Save(account), "");
        }
    }

    static CReportCtrl& Rows(CBillDlg& dlg) { return *dlg.Item<CReportCtrl>(CBillDlg::IDC_ROWS); }
    static std::string Cell(CBillDlg& dlg, int row, int column) {
        return Rows(dlg).GetItemText(row, column);
    }
    static void Pick(CBillDlg& dlg, int id, const std::string& text) {
        QComboBox* combo = dlg.Item<QComboBox>(id);
        const int index = combo->findText(QString::fromStdString(text));
        ASSERT_GE(index, 0) << text;
        combo->setCurrentIndex(index);
        dlg.SendNotify(id, ui::Notification::SelChange, index);
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
    ui::FileDialogScript m_files;
};

// Every row is listed with what it becomes and why; a category chosen for one row goes to
// its counterparty's other rows, an account chosen for a source to that source's rows, a
// row like one typed by hand is stored only when ticked; then it all goes in at once and
// the list shows it as imported.
TEST_F(BillDlgTest, ChoicesInThePreviewAreStoredAndRemembered) {
    m_db.Exec("INSERT INTO normalPay (支出人员, 支出项目, 支出金额, 支出日期) VALUES ('爸爸', '交通', "
              "15, '2024-03-09 18:02:00')");
    const Payment noodles = {"2024-03-05 12:30:45", "餐饮美食", "云膳过桥米线(传奇广场店)",
                             "总共消费:28.16", "支出", "28.16", "余额", "交易成功", "A1", ""};
    Payment studio = {"2024-03-06 10:00:00", "其他", "某某工作室", "服务费", "支出", "80.00", "花呗",
                      "交易成功", "A2", ""};
    Payment again = studio;
    again.order = "A3";
    again.time = "2024-03-07 10:00:00";
    Payment closed = noodles;
    closed.order = "A4";
    closed.status = "交易关闭";
    const Payment taxi = {"2024-03-09 18:00:00", "交通出行", "某出租车", "车费", "支出", "15.00", "余额",
                          "交易成功", "A5", ""};
    const std::string path = (m_db.Directory() / "支付宝账单.csv").string();
    bill_files::Write(path, bill_files::AlipayCsv({noodles, studio, again, closed, taxi}));

    CBillDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(dlg.GetDlgItem(CBillDlg::IDC_IMPORT)->isEnabled());
    m_files.Answer(ui::FileDialogAnswer{path, 0});
    dlg.ClickButton(CBillDlg::IDC_CHOOSE_FILE);
    ASSERT_EQ(Rows(dlg).GetItemCount(), 5);
    EXPECT_EQ(Cell(dlg, 0, 2), "支出");
    EXPECT_EQ(Cell(dlg, 0, 3), "28.16");
    EXPECT_EQ(Cell(dlg, 0, 4), "餐饮");
    EXPECT_EQ(Cell(dlg, 0, 6), "云膳过桥米线(传奇广场店) 总共消费:28.16");
    EXPECT_EQ(Cell(dlg, 1, 4), "");
    EXPECT_EQ(Cell(dlg, 1, 5), "？花呗");
    EXPECT_EQ(Cell(dlg, 1, 7), "已付款，类别待选");
    EXPECT_EQ(Cell(dlg, 3, 2), "不记");
    EXPECT_EQ(Cell(dlg, 3, 7), "交易关闭，没有付款");
    EXPECT_EQ(Cell(dlg, 4, 2), "可能重复");
    EXPECT_EQ(dlg.GetDlgItemText(CBillDlg::IDC_STATUS),
              "支付宝账单共 5 行：记入 3 行，可能重复 1 行，不记 1 行。");

    dlg.SelectRow(1);
    Pick(dlg, CBillDlg::IDC_CATEGORY, "教育");
    EXPECT_EQ(dlg.GetDlgItemText(CBillDlg::IDC_STATUS), "以后 某某工作室 都记为 教育");
    Pick(dlg, CBillDlg::IDC_ACCOUNT, "交通银行信用卡7449");
    for (int row : {1, 2}) {
        EXPECT_EQ(Cell(dlg, row, 4), "教育");
        EXPECT_EQ(Cell(dlg, row, 5), "交通银行信用卡7449");
    }
    dlg.SelectRow(4);
    EXPECT_TRUE(dlg.GetDlgItem(CBillDlg::IDC_TICK)->isEnabled());
    dlg.Item<QCheckBox>(CBillDlg::IDC_TICK)->setChecked(true);
    dlg.SendCommand(CBillDlg::IDC_TICK);
    EXPECT_EQ(Cell(dlg, 4, 2), "支出");

    if (const char* shot = std::getenv("COFFER_BILL_SHOT"))
        dlg.grab().save(shot);

    dlg.ClickButton(CBillDlg::IDC_IMPORT);
    EXPECT_EQ(m_messages.Texts(), (std::vector<std::string>{
                                      "导入完成！收入 0 笔，支出 4 笔，转账 0 笔，不记 1 笔，出错 0 笔。"}));
    EXPECT_EQ(Cell(dlg, 0, 7), "以前导入过");
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay WHERE 支出项目 = '教育'"), "2");
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM billChoice"), "2");
}

} // namespace
