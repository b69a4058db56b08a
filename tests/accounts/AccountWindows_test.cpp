#include "accounts/AccountsDlg.h"
#include "accounts/BalancesDlg.h"
#include "accounts/HistoryDlg.h"
#include "accounts/ReconcileDlg.h"
#include "accounts/TransferDlg.h"

#include "controls/ReportCtrl.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::TestDb;

class AccountWindowsTest : public testing::Test {
protected:
    AccountWindowsTest() {
        ole::SetClock([] { return COleDateTime(2024, 5, 20, 9, 0, 0); });
        m_db.Exec("INSERT INTO accountList (名称, 种类, 所有人, 期初余额, 期初日期, 顺序, 停用) "
                  "VALUES ('工资卡', '储蓄卡', '爸爸', 100000, '2024-01-01', 2, 0), "
                  "('信用卡', '信用卡', '妈妈', 0, '2024-01-01', 3, 0); "
                  "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) VALUES "
                  "('爸爸', 20, '2024-03-02 10:00:00', '餐饮'), "
                  "('爸爸', 30.25, '2024-03-03 10:00:00', '交通'); "
                  "INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalPay', 编号, 2 FROM "
                  "normalPay; "
                  "INSERT INTO accountTransfer (转出账户, 转入账户, 金额, 日期) VALUES "
                  "(2, 3, 5000, '2024-03-04 10:00:00')");
    }
    ~AccountWindowsTest() override { ole::ResetClock(); }

    // Every control a person can reach is named for a screen reader; with
    // COFFER_SCREENSHOTS set, the window is also saved there to be looked at.
    static void ExpectNamedAndShoot(ui::Dialog& dialog, const char* file) {
        for (QWidget* child : dialog.findChildren<QWidget*>()) {
            if (child->parentWidget() != &dialog || child->focusPolicy() == Qt::NoFocus ||
                qobject_cast<QLabel*>(child))
                continue;
            EXPECT_FALSE(child->accessibleName().isEmpty() &&
                         child->property("text").toString().isEmpty())
                << file << ": " << child->metaObject()->className() << " "
                << child->objectName().toStdString();
        }
        if (const char* folder = std::getenv("COFFER_SCREENSHOTS")) {
            dialog.show();
            dialog.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(file));
        }
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

TEST_F(AccountWindowsTest, AccountsWindowAddsAndRefusesToDeleteAnAccountInUse) {
    CAccountsDlg dialog;
    ASSERT_TRUE(dialog.Create());
    auto* list = dialog.Item<CReportCtrl>(CAccountsDlg::IDC_LIST);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(1, 3), "1000.00");
    ExpectNamedAndShoot(dialog, "accounts.png");

    dialog.ClickButton(CAccountsDlg::IDC_NEW);
    dialog.SetDlgItemText(CAccountsDlg::IDC_NAME, "支付宝");
    dialog.Item<QComboBox>(CAccountsDlg::IDC_KIND)->setCurrentIndex(3);
    dialog.SetDlgItemText(CAccountsDlg::IDC_OPENING, "12.5");
    dialog.ClickButton(CAccountsDlg::IDC_SAVE);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"账户已保存！"});
    EXPECT_EQ(m_db.Query("SELECT 种类, 期初余额, 期初日期 FROM accountList WHERE 名称 = '支付宝'"),
              (std::vector<std::vector<std::string>>{{"支付宝", "1250", "2024-05-20"}}));

    list->SetSelected(1, true);
    dialog.SendNotify(CAccountsDlg::IDC_LIST, ui::Notification::Click, 1);
    EXPECT_EQ(dialog.GetDlgItemText(CAccountsDlg::IDC_NAME), "工资卡");
    m_messages.Answer(ui::IDYES);
    dialog.ClickButton(CAccountsDlg::IDC_DELETE);
    EXPECT_EQ(m_messages.Take(),
              (std::vector<std::string>{"确定要删除这个账户吗？",
                                        "有记录或转账用到这个账户，不能删除，只能停用！"}));
}

TEST_F(AccountWindowsTest, TransferWindowSavesAndRefusesOneAccountOnBothSides) {
    CTransferDlg dialog;
    ASSERT_TRUE(dialog.Create());
    ExpectNamedAndShoot(dialog, "transfer.png");
    auto* from = dialog.Item<QComboBox>(CTransferDlg::IDC_FROM);
    auto* to = dialog.Item<QComboBox>(CTransferDlg::IDC_TO);
    from->setCurrentIndex(1);
    to->setCurrentIndex(1);
    dialog.SetDlgItemText(CTransferDlg::IDC_AMOUNT, "300");
    dialog.ClickButton(CTransferDlg::IDC_SAVE);
    to->setCurrentIndex(0);
    dialog.ClickButton(CTransferDlg::IDC_SAVE);
    EXPECT_EQ(m_messages.Take(),
              (std::vector<std::string>{"转出账户和转入账户不能相同！", "转账已保存！"}));
    EXPECT_EQ(m_db.Scalar("SELECT 金额 FROM accountTransfer WHERE 转出账户 = 2 AND 转入账户 = 1"),
              "30000");
}

TEST_F(AccountWindowsTest, BalancesWindowShowsBalancesTotalsAndAChartLinePerAccount) {
    CBalancesDlg dialog;
    ASSERT_TRUE(dialog.Create());
    auto* list = dialog.Item<CReportCtrl>(CBalancesDlg::IDC_LIST);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(1, 3), "899.75");
    EXPECT_EQ(list->GetItemText(2, 3), "50.00");
    EXPECT_EQ(dialog.GetDlgItemText(CBalancesDlg::IDC_TOTALS),
              "资产：949.75    负债：0.00\n净资产：949.75");
    EXPECT_EQ(dialog.Chart()->chart()->series().size(), 4); // 净资产 and three accounts
    // Each line can be told from every other: its colour or its dashes differ.
    std::vector<std::pair<QRgb, Qt::PenStyle>> looks;
    for (QAbstractSeries* series : dialog.Chart()->chart()->series()) {
        const QPen pen = static_cast<QLineSeries*>(series)->pen();
        looks.emplace_back(pen.color().rgb(), pen.style());
    }
    for (int nLine = 0; nLine < 30; ++nLine) {
        const QPen pen = CBalancesDlg::LinePen(nLine);
        looks.emplace_back(pen.color().rgb(), pen.style());
    }
    for (size_t i = 0; i < looks.size(); ++i) {
        for (size_t j = i + 1; j < looks.size(); ++j) {
            if (i >= 1 && i < 4 && j == i + 3) // series n is LinePen(n − 1)
                EXPECT_EQ(looks[i], looks[j]) << "line " << i;
            else
                EXPECT_NE(looks[i], looks[j]) << "lines " << i << " and " << j;
        }
    }
    // The scale takes in every line: 现金 at 0 as well as the 1000 净资产 starts from.
    const auto* axis = qobject_cast<QValueAxis*>(
        dialog.Chart()->chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_LE(axis->min(), 0.0);
    EXPECT_GE(axis->max(), 1000.0);
    ExpectNamedAndShoot(dialog, "balances.png");
}

TEST_F(AccountWindowsTest, HistoryWindowRunsTheBalanceAndDeletesARecordWithItsLink) {
    CHistoryDlg dialog;
    dialog.m_nAccountId = 2;
    ASSERT_TRUE(dialog.Create());
    auto* list = dialog.Item<CReportCtrl>(CHistoryDlg::IDC_LIST);
    ASSERT_EQ(list->GetItemCount(), 4); // the opening balance and three items
    EXPECT_EQ(list->GetItemText(3, 4), "899.75");
    EXPECT_EQ(dialog.GetDlgItemText(CHistoryDlg::IDC_SUMMARY),
              "工资卡（储蓄卡）  余额：899.75  尚未对账");
    ExpectNamedAndShoot(dialog, "history.png");

    list->SetSelected(1, true);
    m_messages.Answer(ui::IDYES);
    dialog.ClickButton(CHistoryDlg::IDC_DELETE);
    EXPECT_EQ(m_messages.Questions(), std::vector<std::string>{"确定要删除这条记录吗？"});
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay"), "1");
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM accountLink"), "1");
    EXPECT_EQ(list->GetItemCount(), 3);
}

TEST_F(AccountWindowsTest, ReconcileWindowFollowsTheTicksAndFinishesAtZero) {
    CReconcileDlg dialog;
    dialog.m_nAccountId = 2;
    ASSERT_TRUE(dialog.Create());
    dialog.Item<ui::DateTimePicker>(CReconcileDlg::IDC_DATE)
        ->SetTime(COleDateTime(2024, 3, 31, 0, 0, 0));
    dialog.SetDlgItemText(CReconcileDlg::IDC_BALANCE, "930");
    dialog.ClickButton(CReconcileDlg::IDC_LIST_ITEMS);
    auto* list = dialog.Item<CReportCtrl>(CReconcileDlg::IDC_ITEMS);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(dialog.GetDlgItemText(CReconcileDlg::IDC_DIFFERENCE),
              "已对账余额：1000.00    差额：-70.00");
    list->SetCheck(0, true);
    list->SetCheck(2, true);
    EXPECT_EQ(dialog.GetDlgItemText(CReconcileDlg::IDC_DIFFERENCE),
              "已对账余额：1000.00    差额：0.00");
    ExpectNamedAndShoot(dialog, "reconcile.png");
    dialog.ClickButton(CReconcileDlg::IDC_FINISH);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"对账完成！"});
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM accountLink WHERE 对账 IS NOT NULL"), "1");
    EXPECT_EQ(m_db.Scalar("SELECT 余额 FROM accountReconcile"), "93000");
}

} // namespace
