#include "records/NormalPayDlg.h"
#include "records/PayEditDlg.h"

#include "platform/ole/Clock.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QComboBox>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

constexpr int kAccountCombo = 1090;

class RecordAccountTest : public testing::Test {
protected:
    RecordAccountTest() {
        ole::SetClock([] { return COleDateTime(2024, 5, 1, 8, 0, 0); });
        // The starter's 现金, and two more.
        m_db.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
                  "('工资卡', '储蓄卡', 0, '2020-01-01', 2, 0), ('旧卡', '储蓄卡', 0, "
                  "'2020-01-01', 3, 1)");
    }
    ~RecordAccountTest() override { ole::ResetClock(); }

    static std::vector<std::string> Entries(const QComboBox* combo) {
        std::vector<std::string> entries;
        for (int i = 0; i < combo->count(); ++i)
            entries.push_back(combo->itemText(i).toStdString());
        return entries;
    }
    std::string AccountOf(const std::string& id) const {
        return m_db.Scalar("SELECT a.名称 FROM accountLink l, accountList a WHERE a.ID = l.账户 "
                           "AND l.表 = 'normalPay' AND l.编号 = " +
                           id);
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

TEST_F(RecordAccountTest, EntryOffersActiveAccountsAndRemembersTheMembersLast) {
    CNormalPayDlg dialog;
    ASSERT_TRUE(dialog.Create());
    auto* account = dialog.Item<QComboBox>(kAccountCombo);
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->accessibleName().toStdString(), "账户");
    EXPECT_EQ(Entries(account), (std::vector<std::string>{"（不指定）", "现金", "工资卡"}));
    EXPECT_EQ(account->currentIndex(), 0);

    // Without an account the record is written as it always was: no link.
    dialog.SetDlgItemText(1026, "20");
    dialog.ClickButton(1016);
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM accountLink"), "0");

    account->setCurrentIndex(2);
    dialog.ClickButton(1016);
    EXPECT_EQ(m_messages.Take(), (std::vector<std::string>{"数据添加成功！", "数据添加成功！"}));
    EXPECT_EQ(AccountOf(m_db.Scalar("SELECT MAX(编号) FROM normalPay")), "工资卡");

    // The next window preselects what 爸爸 used last; another member has none yet.
    CNormalPayDlg next;
    ASSERT_TRUE(next.Create());
    auto* nextAccount = next.Item<QComboBox>(kAccountCombo);
    EXPECT_EQ(nextAccount->currentText().toStdString(), "工资卡");
    auto* member = next.Item<QComboBox>(1018);
    member->setCurrentIndex(1);
    emit member->activated(1);
    EXPECT_EQ(nextAccount->currentText().toStdString(), "（不指定）");
}

TEST_F(RecordAccountTest, EditChangesTheAccountAndAsksBeforeChangingAReconciledRecord) {
    m_db.Exec("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) VALUES "
              "('妈妈', 30, '2024-04-02 10:00:00', '餐饮')");
    const std::string id = m_db.Scalar("SELECT MAX(编号) FROM normalPay");
    m_db.Exec("INSERT INTO accountLink (表, 编号, 账户, 对账) SELECT 'normalPay', " + id +
              ", ID, NULL FROM accountList WHERE 名称 = '旧卡'");
    {
        CPayEditDlg dialog;
        dialog.m_strId = id;
        ASSERT_TRUE(dialog.Create());
        auto* account = dialog.Item<QComboBox>(kAccountCombo);
        // A stopped account the record has is shown, so that an edit keeps it.
        EXPECT_EQ(account->currentText().toStdString(), "旧卡");
        dialog.SetDlgItemText(1026, "31");
        dialog.ClickButton(1061);
        EXPECT_EQ(AccountOf(id), "旧卡");
    }
    m_db.Exec("UPDATE accountLink SET 对账 = '2024-04-30 00:00:00'");
    for (const int answer : {ui::IDNO, ui::IDYES}) {
        CPayEditDlg dialog;
        dialog.m_strId = id;
        ASSERT_TRUE(dialog.Create());
        dialog.Item<QComboBox>(kAccountCombo)->setCurrentIndex(1);
        m_messages.Answer(answer);
        dialog.ClickButton(1061);
        EXPECT_EQ(AccountOf(id), answer == ui::IDYES ? "现金" : "旧卡");
    }
    EXPECT_EQ(m_messages.Questions(),
              (std::vector<std::string>(2, "这笔记录已经对过账，确定要修改吗？")));
    // A new account is not reconciled yet.
    EXPECT_EQ(m_db.Scalar("SELECT 对账 FROM accountLink"), TestDb::kNull);
}

} // namespace
