#include "plan/BudgetDlg.h"
#include "plan/BudgetReport.h"
#include "plan/BudgetStore.h"
#include "plan/BudgetView.h"
#include "data/Cents.h"
#include "plan/PlanHooks.h"

#include "controls/ReportCtrl.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageRecorder.h"
#include "records/NormalPayDlg.h"
#include "records/PayEditDlg.h"
#include "stats/StatisticsDlg.h"
#include "tests/basedata/BaseDataFixture.h"
#include "tests/support/TestDb.h"

#include <QComboBox>
#include <QDate>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;

const char* const kConnection = TestDb::kConnectionString;

TEST(CentsTest, ParsesAndPrintsExactly) {
    struct Case {
        const char* text;
        bool ok;
        std::int64_t cents;
    };
    const Case cases[] = {
        {"2000", true, 200000}, {"12.3", true, 1230}, {"0.05", true, 5}, {"0", true, 0},
        {"19.99", true, 1999},  {"1.005", false, 0},  {"", false, 0},    {"-5", false, 0},
        {"1.", false, 0},       {".5", false, 0},     {"1e3", false, 0}, {"12,5", false, 0},
        {"1.2.3", false, 0},    {" 5", false, 0},
    };
    for (const Case& c : cases) {
        std::int64_t cents = -1;
        EXPECT_EQ(CCents::Parse(c.text, cents), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(cents, c.cents) << c.text;
        }
    }
    EXPECT_EQ(CCents::Text(200000), "2000.00");
    EXPECT_EQ(CCents::Text(5), "0.05");
    EXPECT_EQ(CCents::Text(-1234), "-12.34");
    EXPECT_EQ(CCents::Text(0), "0.00");
}

class BudgetTest : public ::testing::Test {
protected:
    BudgetTest() {
        ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 0); });
        CPlanHooks::Install();
        m_db.SetConnectionString(kConnection);
        EXPECT_TRUE(m_db.Open());
    }
    ~BudgetTest() override { ole::ResetClock(); }

    void Pay(const std::string& item, const std::string& amount, const std::string& date) {
        db.Exec("insert into normalPay (支出人员, 支出金额, 支出日期, 支出项目) values ('爸爸', " +
                amount + ", '" + date + "', '" + item + "')");
    }
    void SetBudgets(const CBudgetStore::Budgets& budgets) {
        std::string error;
        ASSERT_TRUE(CBudgetStore(m_db).Save(budgets, error)) << error;
    }
    static Rows Cells(const std::vector<BudgetRow>& rows) {
        Rows cells;
        for (const BudgetRow& row : rows)
            cells.push_back({row.strCategory, CCents::Text(row.nBudget), row.spent.Text(),
                             row.Remaining().Text(), row.Over() ? "over" : ""});
        return cells;
    }

    TestDb db;
    CADODatabase m_db;
    ui::MessageRecorder messages;
};

TEST_F(BudgetTest, MonthCountsItsOwnDaysToTheCent) {
    SetBudgets({{"餐饮", 100000}, {"交通", 30}, {"旧类别", 500}});
    Pay("餐饮", "0.1", "2010-11-01 00:00:00");
    Pay("餐饮", "0.2", "2010-11-30 23:59:59");
    Pay("餐饮", "999.7", "2010-11-15 12:00:00");
    Pay("餐饮", "5000", "2010-12-01 00:00:00"); // next month
    Pay("餐饮", "7000", "2010-10-31 23:59:59"); // last month
    Pay("交通", "0.31", "2010-11-02 08:00:00");
    Pay("购物", "80", "2010-11-02 08:00:00"); // no budget
    const Rows expected = {
        {"餐饮", "1000.00", "1000.00", "0.00", ""},
        {"交通", "0.30", "0.31", "-0.01", "over"},
        {"旧类别", "5.00", "0.00", "5.00", ""}, // no longer listed: after the listed ones
        {"合计", "1005.30", "1000.31", "4.99", ""},
    };
    EXPECT_EQ(Cells(CBudgetReport::Month(m_db, COleDateTime(2010, 11, 9, 0, 0, 0))), expected);

    // A budget for all expenses makes 合计 count every expense of the month against it.
    SetBudgets({{"餐饮", 100000}, {CBudgetStore::kAllExpenses, 100000}});
    const std::vector<BudgetRow> rows =
        CBudgetReport::Month(m_db, COleDateTime(2010, 11, 30, 0, 0, 0));
    EXPECT_EQ(Cells(rows).back(),
              (std::vector<std::string>{"合计", "1000.00", "1080.31", "-80.31", "over"}));
    // December only holds the 5000 of its first midnight.
    EXPECT_EQ(Cells(CBudgetReport::Month(m_db, COleDateTime(2010, 12, 31, 0, 0, 0))).front(),
              (std::vector<std::string>{"餐饮", "1000.00", "5000.00", "-4000.00", "over"}));
}

TEST_F(BudgetTest, FirstBudgetOnAnOlderLedgerAddsTheTablesAfterABackup) {
    // A ledger made before budgets: no plan tables, no count.
    for (const char* table : {"planBudget", "planRecurring", "planOccurrence"})
        CADORecordset(&m_db).Open(std::string("drop table ") + table, CADORecordset::ModeUnknown);
    CLedgerAdditions::Write(m_db, 0);
    m_db.Open(); // the schema changed under the connection
    EXPECT_TRUE(CBudgetStore(m_db).Load().empty());
    EXPECT_TRUE(CBudgetReport::Month(m_db, COleDateTime(2010, 11, 1, 0, 0, 0)).empty());
    EXPECT_FALSE(std::filesystem::exists(db.Directory() / "backups"));

    SetBudgets({{"餐饮", 2000}});
    EXPECT_EQ(CLedgerAdditions::Read(m_db), CLedgerAdditions::kPlan);
    EXPECT_EQ(db.Query("select 支出项目, 预算 from planBudget"), (Rows{{"餐饮", "2000"}}));
    // A server ledger has no file here to copy; the server keeps its own backups.
    if (TestDb::OnServer()) {
        EXPECT_FALSE(std::filesystem::exists(db.Directory() / "backups"));
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(db.Directory() / "backups"));
    int backups = 0;
    for (const auto& entry : std::filesystem::directory_iterator(db.Directory() / "backups"))
        backups += entry.path().extension() == ".mdb";
    EXPECT_EQ(backups, 1);
    // The second write finds the tables and makes no further backup.
    SetBudgets({{"餐饮", 3000}});
    backups = 0;
    for (const auto& entry : std::filesystem::directory_iterator(db.Directory() / "backups"))
        backups += entry.path().extension() == ".mdb";
    EXPECT_EQ(backups, 1);
}

TEST_F(BudgetTest, BudgetWindowSetsChangesAndRemovesAmounts) {
    CBudgetDlg dlg;
    ASSERT_TRUE(dlg.Create());
    auto* list = dlg.Item<CReportCtrl>(CBudgetDlg::IDC_BUDGETS);
    ASSERT_EQ(list->GetItemCount(), 8);
    EXPECT_EQ(list->GetItemText(0, 0), "（全部支出）");
    EXPECT_EQ(list->GetItemText(1, 0), "餐饮");
    const auto set = [&](int row, const std::string& amount) {
        list->clearSelection();
        list->SetSelected(row, true);
        dlg.SetDlgItemText(CBudgetDlg::IDC_AMOUNT, amount);
        dlg.ClickButton(CBudgetDlg::IDC_SET);
    };
    set(1, "2000");
    set(0, "5000.5");
    set(2, "abc");
    EXPECT_EQ(messages.Take().size(), 1u); // the bad amount is refused, with a word why
    EXPECT_EQ(db.Query("select 支出项目, 预算 from planBudget order by 预算"),
              (Rows{{"餐饮", "200000"}, {"", "500050"}}));
    EXPECT_EQ(list->GetItemText(1, 1), "2000.00");
    EXPECT_EQ(list->GetItemText(0, 1), "5000.50");
    set(1, "0");
    set(0, "");
    EXPECT_EQ(db.Scalar("select count(*) from planBudget"), "0");
    EXPECT_EQ(list->GetItemText(1, 1), "");
}

// Adds an expense of 餐饮 through the entry window as a user does.
std::string AddThroughWindow(ui::MessageRecorder& messages, const std::string& amount,
                             const QDate& day = QDate(2010, 11, 17)) {
    CNormalPayDlg dlg;
    EXPECT_TRUE(dlg.Create());
    dlg.Item<ui::DateTimePicker>(1021)->setDate(day);
    dlg.SetDlgItemText(1026, amount);
    dlg.ClickButton(1016);
    const std::vector<std::string> texts = messages.Take();
    return texts.empty() ? std::string() : texts.back();
}

TEST_F(BudgetTest, OverBudgetLineOnlyWhenTheAddCrossesTheBudget) {
    SetBudgets({{"餐饮", 10000}});
    Pay("餐饮", "40", "2010-10-31 23:59:59"); // last month does not count
    EXPECT_EQ(AddThroughWindow(messages, "60"), "数据添加成功！");
    EXPECT_EQ(AddThroughWindow(messages, "40"), "数据添加成功！"); // exactly at the budget
    EXPECT_EQ(AddThroughWindow(messages, "0.01"), "数据添加成功！\n本月餐饮已超出预算 0.01 元");
    EXPECT_EQ(AddThroughWindow(messages, "50"), "数据添加成功！"); // over already
    // Another month is named; the total budget has its own line.
    SetBudgets({{"餐饮", 10000}, {CBudgetStore::kAllExpenses, 12000}});
    EXPECT_EQ(
        AddThroughWindow(messages, "123.45", QDate(2010, 12, 3)),
        "数据添加成功！\n2010年12月餐饮已超出预算 23.45 元\n2010年12月支出已超出总预算 3.45 元");
}

TEST_F(BudgetTest, EditThatTakesTheCategoryOverSaysSoAndOtherwiseNothing) {
    SetBudgets({{"餐饮", 10000}});
    Pay("餐饮", "90", "2010-11-02 08:00:00");
    Pay("交通", "30", "2010-11-03 08:00:00");
    const std::string id = db.Scalar("select 编号 from normalPay where 支出项目 = '交通'");
    const auto edit = [&](const std::string& amount, int item) {
        CPayEditDlg dlg;
        dlg.m_strId = id;
        EXPECT_TRUE(dlg.Create());
        dlg.SetDlgItemText(1026, amount);
        dlg.Item<QComboBox>(1019)->setCurrentIndex(item);
        dlg.ClickButton(1061);
        EXPECT_EQ(dlg.result(), ui::IDOK);
    };
    edit("5", 1); // still 交通: no budget
    EXPECT_TRUE(messages.Take().empty());
    edit("20", 0); // moved to 餐饮: 110 of 100
    EXPECT_EQ(messages.Take(), std::vector<std::string>{"本月餐饮已超出预算 10.00 元"});
    edit("25", 0); // over before, over after
    EXPECT_TRUE(messages.Take().empty());
}

class BudgetCategoryTest : public basedata_test::BaseDataFixture {
protected:
    BudgetCategoryTest() {
        CPlanHooks::Install();
        CADODatabase ledger;
        ledger.SetConnectionString(kConnection);
        EXPECT_TRUE(ledger.Open());
        std::string error;
        EXPECT_TRUE(CBudgetStore(ledger).Save({{"餐饮", 100}, {"交通", 200}}, error));
    }
};

TEST_F(BudgetCategoryTest, RenameCarriesTheBudgetAndDeleteRemovesIt) {
    ShowTable("支出类型");
    SelectEntry("餐饮");
    Type("伙食", "");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    EXPECT_EQ(messages.Take(), std::vector<std::string>{"“餐饮”的预算已随类别改名为“伙食”！"});
    SelectEntry("交通");
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);
    EXPECT_EQ(messages.Take(), std::vector<std::string>{"“交通”已删除，它的预算也一并取消！"});
    // A category without a budget, and a member of the same name, say nothing.
    SelectEntry("购物");
    dialog->ClickButton(CBaseDataDlg::IDC_DELETE);
    ShowTable("家庭成员");
    SelectEntry("爸爸");
    Type("伙食", "");
    dialog->ClickButton(CBaseDataDlg::IDC_CHANGE);
    EXPECT_TRUE(messages.Take().empty());
    EXPECT_EQ(db.Query("select 支出项目, 预算 from planBudget"), (Rows{{"伙食", "100"}}));
}

TEST_F(BudgetTest, StatisticsWindowShowsTheMonthsBudgetsAndGoesBack) {
    SetBudgets({{"餐饮", 10000}, {"交通", 5000}});
    Pay("餐饮", "150", "2010-11-02 08:00:00");
    Pay("交通", "10", "2010-10-03 08:00:00");
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(dlg.GetDlgItem(CStatisticsDlg::IDC_BUDGET)->isVisibleTo(&dlg));
    dlg.ClickButton(CStatisticsDlg::IDC_BUDGET);
    auto* view = dynamic_cast<CBudgetView*>(dlg.GetBudgetView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Cells(), (Rows{{"餐饮", "100.00", "150.00", "-50.00", "150%"},
                                   {"交通", "50.00", "0.00", "50.00", "0%"},
                                   {"合计", "150.00", "150.00", "0.00", "100%"}}));
    EXPECT_FALSE(dlg.GetDlgItem(CStatisticsDlg::IDC_RESULT)->isVisibleTo(&dlg));
    view->ShowMonth(QDate(2010, 10, 1));
    EXPECT_EQ(view->Cells()[1],
              (std::vector<std::string>{"交通", "50.00", "10.00", "40.00", "20%"}));
    dlg.ClickButton(CStatisticsDlg::IDC_COUNT);
    EXPECT_EQ(dlg.GetBudgetView(), nullptr);
    EXPECT_TRUE(dlg.GetDlgItem(CStatisticsDlg::IDC_RESULT)->isVisibleTo(&dlg));
}

} // namespace
