#include "accounts/AccountBalances.h"
#include "accounts/AccountHistory.h"
#include "accounts/AccountStore.h"
#include "accounts/AccountTexts.h"
#include "accounts/Reconciliation.h"
#include "accounts/TransferStore.h"

#include "data/ADODatabase.h"
#include "data/LedgerAdditions.h"
#include "records/AccountLink.h"
#include "stats/StatisticsQuery.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using testing_support::TestDb;

// A household with cash (the starter's), a salary card opened with 1000.00 on 2024-01-01,
// a credit card and a stopped old card.
class AccountLedgerTest : public testing::Test {
protected:
    AccountLedgerTest() {
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
        CAccountStore store(m_db);
        m_cash = store.Load().at(0);
        m_card = Add("工资卡", "储蓄卡", 100000, "2024-01-01");
        m_credit = Add("信用卡", "信用卡", 0, "2024-01-01");
        m_old = Add("旧卡", "储蓄卡", 5000, "2020-01-01");
        m_old.bStopped = true;
        EXPECT_EQ(store.Save(m_old), "");
    }

    CAccount Add(const std::string& name, const std::string& kind, std::int64_t opening,
                 const std::string& date) {
        CAccount account;
        account.strName = name;
        account.strKind = kind;
        account.nOpening = opening;
        account.strOpeningDate = date;
        account.nOrder = ++m_order;
        EXPECT_EQ(CAccountStore(m_db).Save(account), "");
        return account;
    }
    // A record of the table on the date, linked to the account; returns its 编号.
    std::string Record(const char* table, const std::string& amount, const std::string& date,
                       const CAccount& account) {
        const bool income = std::string(table) == "normalIncome";
        const std::string prefix = income ? "收入" : "支出";
        m_test.Exec("INSERT INTO " + std::string(table) + " (" + prefix + "人员, " + prefix +
                    "金额, " + prefix + "日期, " + prefix + "项目) VALUES ('妈妈', " + amount +
                    ", '" + date + "', '" + (income ? "工资" : "餐饮") + "')");
        const std::string id = m_test.Scalar("SELECT MAX(编号) FROM " + std::string(table));
        m_test.Exec("INSERT INTO accountLink (表, 编号, 账户) VALUES ('" + std::string(table) +
                    "', " + id + ", " + std::to_string(account.nId) + ")");
        return id;
    }
    CTransfer Transfer(const CAccount& from, const CAccount& to, std::int64_t cents,
                       const std::string& date) {
        CTransfer transfer;
        transfer.nFrom = from.nId;
        transfer.nTo = to.nId;
        transfer.nAmount = cents;
        transfer.strDate = date;
        EXPECT_EQ(CTransferStore(m_db).Save(transfer), "");
        return transfer;
    }
    std::vector<CAccount> Accounts() { return CAccountStore(m_db).Load(); }
    std::map<std::int64_t, std::string> Names() {
        std::map<std::int64_t, std::string> names;
        for (const CAccount& account : Accounts())
            names[account.nId] = account.strName;
        return names;
    }

    TestDb m_test;
    CADODatabase m_db;
    int m_order = 1;
    CAccount m_cash;
    CAccount m_card;
    CAccount m_credit;
    CAccount m_old;
};

TEST_F(AccountLedgerTest, BalancesAreExactAndCountFromTheOpeningDate) {
    // Ten coffees of 0.10 and ten of 0.20: a binary sum would not be 3.00.
    for (int i = 0; i < 10; ++i) {
        Record("normalPay", "0.1", "2024-02-01 08:00:00", m_card);
        Record("normalPay", "0.2", "2024-02-01 09:00:00", m_card);
    }
    Record("normalIncome", "8000.55", "2024-02-05 10:00:00", m_card);
    Record("normalPay", "99", "2023-12-31 23:00:00", m_card); // in the opening balance
    Record("normalPay", "1200", "2024-02-10 12:00:00", m_credit);
    const std::string gone = Record("normalPay", "50", "2024-02-11 12:00:00", m_cash);
    Record("normalIncome", "10", "2024-01-02 12:00:00", m_old);
    Transfer(m_card, m_credit, 100000, "2024-02-20 12:00:00"); // a card repaid
    Transfer(m_card, m_cash, 20000, "2024-02-21 12:00:00");    // cash taken out
    m_test.Exec("DELETE FROM normalPay WHERE 编号 = " + gone); // as a window deletes it

    std::map<std::int64_t, std::int64_t> balances = CAccountBalances(m_db).Now(Accounts());
    EXPECT_EQ(balances[m_card.nId], 100000 - 300 + 800055 - 100000 - 20000);
    EXPECT_EQ(balances[m_credit.nId], -120000 + 100000);
    EXPECT_EQ(balances[m_cash.nId], 20000);
    EXPECT_EQ(balances[m_old.nId], 5000 + 1000); // a stopped account keeps its balance
    const CAccountBalances::Totals totals = CAccountBalances::Sum(balances);
    EXPECT_EQ(totals.nAssets, 779755 + 20000 + 6000);
    EXPECT_EQ(totals.nDebts, -20000);
    EXPECT_EQ(totals.nNet, totals.nAssets + totals.nDebts);

    // Month ends: January holds only the openings (and the old card's income).
    const std::vector<std::string> bounds =
        CAccountBalances::MonthBounds("2023-12-15", "2024-02-29");
    ASSERT_EQ(bounds, (std::vector<std::string>{"2024-01-01", "2024-02-01", "2024-03-01"}));
    const auto months = CAccountBalances(m_db).MonthEnds(Accounts(), bounds);
    ASSERT_EQ(months.size(), 3u);
    EXPECT_EQ(months[0].balances.at(m_card.nId), 0); // not opened by the end of December
    EXPECT_EQ(months[1].balances.at(m_card.nId), 100000);
    EXPECT_EQ(months[1].balances.at(m_old.nId), 6000);
    EXPECT_EQ(months[2].balances.at(m_card.nId), balances[m_card.nId]);
    EXPECT_EQ(months[2].nNet, totals.nNet);
}

TEST_F(AccountLedgerTest, ATransferIsNeitherIncomeNorExpense) {
    Record("normalIncome", "300", "2024-03-01 10:00:00", m_card);
    Record("normalPay", "120.5", "2024-03-02 10:00:00", m_credit);
    const auto totals = [this] {
        const auto rows = CStatisticsQuery(m_db).Run(StatisticsGrouping::ByMember, {});
        const StatisticsRow total = CStatisticsQuery::Total(rows, {});
        return std::vector<double>{total.income.Value(), total.expense.Value(),
                                   total.Balance().Value()};
    };
    const std::vector<double> before = totals();
    Transfer(m_card, m_credit, 12050, "2024-03-03 10:00:00");
    EXPECT_EQ(totals(), before);
    EXPECT_EQ(before, (std::vector<double>{300, 120.5, 179.5}));
}

TEST_F(AccountLedgerTest, HistoryRunsTheBalanceInDateOrder) {
    Record("normalPay", "20", "2024-03-02 10:00:00", m_card);
    Record("normalIncome", "300", "2024-03-01 10:00:00", m_card);
    Transfer(m_card, m_credit, 5000, "2024-03-01 18:00:00");
    const std::vector<CHistoryItem> items = CAccountHistory(m_db).Load(m_card, Names());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].strWhat, "工资");
    EXPECT_EQ(items[0].nBalance, 130000);
    EXPECT_EQ(items[1].strWhat, "转账（到信用卡）");
    EXPECT_EQ(items[1].nBalance, 125000);
    EXPECT_EQ(items[2].strDate, "2024-03-02 10:00:00");
    EXPECT_EQ(items[2].nBalance, 123000);
}

TEST_F(AccountLedgerTest, ReconciliationTicksToZeroAndMarksOnlyTheTicked) {
    Record("normalPay", "20", "2024-03-02 10:00:00", m_card);
    Record("normalPay", "30.25", "2024-03-03 10:00:00", m_card);
    Record("normalPay", "7", "2024-04-03 10:00:00", m_card); // after the statement
    Transfer(m_card, m_credit, 5000, "2024-03-04 10:00:00");

    CReconciliation check(m_db, m_card, Names());
    check.Start("2024-03-31", 100000 - 2000 - 5000);
    ASSERT_EQ(check.Items().size(), 3u);
    EXPECT_EQ(check.Difference(), -7000);
    EXPECT_FALSE(check.Finish());
    check.Tick(0, true);
    check.Tick(1, true);
    EXPECT_EQ(check.Difference(), 93000 - (100000 - 2000 - 3025));
    check.Tick(1, false); // 30.25 is not on the statement
    check.Tick(2, true);
    EXPECT_EQ(check.Difference(), 0);
    ASSERT_TRUE(check.Finish());
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM accountLink WHERE 对账 IS NOT NULL"), "1");
    EXPECT_EQ(m_test.Scalar("SELECT 转出对账 FROM accountTransfer"), "2024-03-31 00:00:00");
    EXPECT_EQ(CReconciliation::Last(m_db, m_card.nId),
              (std::pair<std::string, std::int64_t>{"2024-03-31", 93000}));

    // The next statement starts from the reconciled balance; a difference the user accepts
    // is booked where it can be seen.
    CReconciliation next(m_db, m_card, Names());
    next.Start("2024-04-30", 93000 - 3025 - 700 - 100);
    EXPECT_EQ(next.ReconciledBalance(), 93000);
    ASSERT_EQ(next.Items().size(), 2u);
    next.Tick(0, true);
    next.Tick(1, true);
    EXPECT_EQ(next.Difference(), -100);
    next.Adjust();
    const std::vector<CHistoryItem> items = CAccountHistory(m_db).Load(m_card, Names());
    EXPECT_EQ(items.back().strWhat, AccountTexts::kAdjustment);
    EXPECT_EQ(items.back().nAmount, -100);
    EXPECT_EQ(items.back().nBalance, 93000 - 3025 - 700 - 100);
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM accountLink WHERE 对账 IS NULL"), "0");
}

TEST_F(AccountLedgerTest, AccountsAreNamedOnceAndDeletedOnlyWhenUnused) {
    CAccountStore store(m_db);
    CAccount twin = m_card;
    twin.nId = 0;
    EXPECT_EQ(store.Save(twin), AccountTexts::kNameTaken);
    twin.strName = "";
    EXPECT_EQ(store.Save(twin), AccountTexts::kNameMissing);
    twin.strName = "支付宝";
    twin.strOpeningDate = "2024-13-01";
    EXPECT_EQ(store.Save(twin), AccountTexts::kDateInvalid);

    const std::string id = Record("normalPay", "5", "2024-03-02 10:00:00", m_card);
    EXPECT_EQ(store.Remove(m_card.nId), AccountTexts::kInUse);
    Transfer(m_credit, m_old, 100, "2024-03-02 10:00:00");
    EXPECT_EQ(store.Remove(m_old.nId), AccountTexts::kInUse);
    // A rename carries the records along: they refer to the account, not to its name.
    m_card.strName = "招行卡";
    EXPECT_EQ(store.Save(m_card), "");
    EXPECT_EQ(m_test.Scalar("SELECT a.名称 FROM accountLink l, accountList a WHERE a.ID = "
                            "l.账户 AND l.编号 = " +
                            id),
              "招行卡");
    CAccount spare = Add("备用", "其他", 0, "2024-01-01");
    EXPECT_EQ(store.Remove(spare.nId), "");
    EXPECT_EQ(Accounts().size(), 4u);
}

TEST_F(AccountLedgerTest, TransfersNeedTwoDifferentAccountsAndAnAmount) {
    CTransfer transfer;
    transfer.strDate = "2024-03-02 10:00:00";
    transfer.nAmount = 100;
    CTransferStore store(m_db);
    EXPECT_EQ(store.Save(transfer), AccountTexts::kTransferAccounts);
    transfer.nFrom = transfer.nTo = m_card.nId;
    EXPECT_EQ(store.Save(transfer), AccountTexts::kTransferSame);
    transfer.nTo = m_cash.nId;
    transfer.nAmount = 0;
    EXPECT_EQ(store.Save(transfer), AccountTexts::kTransferZero);
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM accountTransfer"), "0");
}

// A ledger from before the links' account index gets it at login once it holds accounts (and
// again changes nothing); a ledger without accounts is left as it is.
TEST_F(AccountLedgerTest, TheLinksIndexIsMadeWhereAccountsAre) {
    const std::string indexes =
        TestDb::OnServer() ? "select count(*) from pg_indexes where schemaname = current_schema() "
                             "and indexname = 'accountlink_表_编号_账户'"
                           : "select count(*) from sqlite_master where name = "
                             "'accountLink_表_编号_账户'";
    m_test.Exec("DROP INDEX IF EXISTS accountLink_表_编号_账户");
    CLedgerAdditions::Write(m_db, CLedgerAdditions::kPlan);
    CAccountLink::MakeIndexes(m_db);
    EXPECT_EQ(m_test.Scalar(indexes), "0");
    CLedgerAdditions::Write(m_db, CLedgerAdditions::kLatest);
    for (int login = 0; login < 2; ++login) {
        CAccountLink::MakeIndexes(m_db);
        EXPECT_EQ(m_test.Scalar(indexes), "1");
    }
}

} // namespace
