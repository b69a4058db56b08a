#include "inquiry/InquiryQuery.h"
#include "inquiry/InquiryTwin.h"
#include "inquiry/PayInquiryDlg.h"
#include "stats/StatisticsDlg.h"
#include "stats/StatisticsQuery.h"

#include "controls/ReportCtrl.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

// Three expenses of March 2024: two paid from the salary card, one without an account.
class AccountInquiryTest : public testing::Test {
protected:
    AccountInquiryTest() {
        ole::SetClock([] { return COleDateTime(2024, 3, 20, 9, 0, 0); });
        m_db.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
                  "('工资卡', '储蓄卡', 0, '2024-01-01', 2, 1); "
                  "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) VALUES "
                  "('爸爸', 20, '2024-03-02 10:00:00', '餐饮'), "
                  "('妈妈', 30.5, '2024-03-03 10:00:00', '交通'), "
                  "('妈妈', 7, '2024-03-04 10:00:00', '餐饮'); "
                  "INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalPay', 编号, 2 FROM "
                  "normalPay WHERE 支出金额 <> 7");
    }
    ~AccountInquiryTest() override { ole::ResetClock(); }

    static Rows Listed(const CInquiryDlg& dlg) {
        const auto* list = dlg.Item<CReportCtrl>(dlg.GetResultListId());
        Rows rows;
        for (int i = 0; i < list->GetItemCount(); ++i)
            rows.push_back({list->GetItemText(i, 1), list->GetItemText(i, 5)});
        return rows;
    }

    // With COFFER_SCREENSHOTS set, the window is saved there to be looked at.
    static void Shoot(ui::Dialog& dialog, const char* file) {
        if (const char* folder = std::getenv("COFFER_SCREENSHOTS")) {
            dialog.show();
            dialog.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(file));
        }
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

TEST_F(AccountInquiryTest, TheAccountColumnAndConditionLeaveTheOtherListingsAlone) {
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    auto* account = dlg.Item<QComboBox>(CInquiryDlg::IDC_ACCOUNT);
    ASSERT_NE(account, nullptr);
    // A stopped account is still one to look back at.
    EXPECT_EQ(account->count(), 3);
    EXPECT_EQ(account->itemText(2).toStdString(), "工资卡");
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(Listed(dlg), (Rows{{"20.0", "工资卡"}, {"30.5", "工资卡"}, {"7.0", ""}}));
    Shoot(dlg, "pay-inquiry.png");

    dlg.Item<QCheckBox>(CInquiryDlg::IDC_ACCOUNT_CHECK)->setChecked(true);
    account->setCurrentIndex(2);
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(Listed(dlg), (Rows{{"20.0", "工资卡"}, {"30.5", "工资卡"}}));
    EXPECT_NE(dlg.GetDlgItemText(CInquiryDlg::IDC_TOTALS).find("50.50"), std::string::npos)
        << dlg.GetDlgItemText(CInquiryDlg::IDC_TOTALS);
    account->setCurrentIndex(0); // （不指定）: the records without an account
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(Listed(dlg), (Rows{{"7.0", ""}}));
    EXPECT_TRUE(m_messages.Texts().empty());

    // Unticked, the statement is the one the window always sent.
    CInquiryQuery query(kPayInquiry, InquiryKind::ThisMonth);
    query.ComputeBounds(COleDateTime::GetCurrentTime(), {}, {});
    InquiryConditions conditions;
    conditions.nAccount = 2;
    EXPECT_EQ(query.BuildStatement(conditions).find("accountLink"), std::string::npos);
}

// The names come from the links of the listed table only, each record its own, also when a
// record between the listed ones is not listed.
TEST_F(AccountInquiryTest, TheAccountColumnNamesEachListedRecordsOwnAccount) {
    m_db.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
              "('信用卡', '信用卡', 0, '2024-01-01', 3, 0); "
              "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) VALUES "
              "('爸爸', 40, '2024-02-10 10:00:00', '餐饮'), "
              "('爸爸', 9, '2024-03-10 10:00:00', '餐饮'); "
              "INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalPay', 编号, 1 FROM "
              "normalPay WHERE 支出金额 = 40; "
              "INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalPay', 编号, 3 FROM "
              "normalPay WHERE 支出金额 = 9; "
              "INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目) VALUES "
              "('妈妈', 100, '2024-03-05 10:00:00', '工资'); "
              "INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalIncome', p.编号, 1 FROM "
              "normalPay p WHERE p.支出金额 = 7");
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(Listed(dlg),
              (Rows{{"20.0", "工资卡"}, {"30.5", "工资卡"}, {"7.0", ""}, {"9.0", "信用卡"}}));
    // The year's order is the engine's own.
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    Rows year = Listed(dlg);
    std::sort(year.begin(), year.end());
    EXPECT_EQ(year, (Rows{{"20.0", "工资卡"},
                          {"30.5", "工资卡"},
                          {"40.0", "现金"},
                          {"7.0", ""},
                          {"9.0", "信用卡"}}));
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(AccountInquiryTest, StatisticsGroupByAccountAndListEachGroupsRecords) {
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    const std::vector<StatisticsRow> rows =
        CStatisticsQuery(db).Run(StatisticsGrouping::ByAccount, InquiryPreset{});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].strGroup, "工资卡");
    EXPECT_EQ(rows[0].expense.Text(), "50.50");
    EXPECT_EQ(rows[1].strGroup, "（不指定）");
    EXPECT_EQ(rows[1].expense.Text(), "7.00");
    ASSERT_TRUE(rows[1].preset && rows[1].preset->account);
    CADORecordset listed(&db);
    ASSERT_TRUE(listed.Open(CInquiryQuery::BuildPresetStatement(kPayInquiry, *rows[1].preset),
                            CADORecordset::ModeQuery));
    EXPECT_EQ(listed.GetRecordCount(), 1);
}

// 按账户 in the window counts again as soon as it is chosen, as the other groupings do.
TEST_F(AccountInquiryTest, StatisticsWindowCountsByAccountWhenChosen) {
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.Item<QAbstractButton>(CStatisticsDlg::IDC_BY_ACCOUNT)->setChecked(true);
    dlg.ClickButton(CStatisticsDlg::IDC_BY_ACCOUNT);
    const auto* list = dlg.Item<CReportCtrl>(CStatisticsDlg::IDC_RESULT);
    Rows table;
    for (int i = 0; i < list->GetItemCount(); ++i)
        table.push_back({list->GetItemText(i, 0), list->GetItemText(i, 2)});
    EXPECT_EQ(table, (Rows{{"工资卡", "50.50"}, {"（不指定）", "7.00"}, {"合计", "57.50"}}));
    Shoot(dlg, "statistics-by-account.png");
}

} // namespace
