#include "bills/AnyBill.h"
#include "bills/BankScheme.h"
#include "bills/BillImport.h"

#include "accounts/AccountStore.h"
#include "data/ADODatabase.h"
#include "tests/bills/BankFiles.h"
#include "tests/bills/BillFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bank_files::Line;
using testing_support::TestDb;

const std::vector<Line>& kMarch = bank_files::March();

// Two cards at the same bank (the same statements' heading) and one at another.
class BankImportTest : public testing::Test {
protected:
    BankImportTest() {
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
        m_card = Add("招商银行(1234)", 10000);
        m_other = Add("招商银行(9876)", 0);
        m_options.strMember = "爸爸";
    }

    std::int64_t Add(const std::string& name, std::int64_t nOpening) {
        CAccount account;
        account.strName = name;
        account.strKind = "储蓄卡";
        account.nOpening = nOpening;
        account.strOpeningDate = "2024-01-01";
        account.nOrder = ++m_order;
        EXPECT_EQ(CAccountStore(m_db).Save(account), "");
        return account.nId;
    }

    CBankScheme Signed(const std::string& name, std::int64_t nAccount) {
        CBankScheme scheme = GuessBankScheme({"记账日期", "交易金额", "余额", "摘要", "对方户名"});
        scheme.strName = name;
        scheme.nAccount = nAccount;
        return scheme;
    }

    std::string File(const std::string& name, const std::string& bytes) {
        const std::string path = (m_test.Directory() / name).string();
        bill_files::Write(path, bytes);
        return path;
    }

    BillSummary Import(const std::string& path, std::vector<BillLine>& lines) {
        return ImportBillFile(TestDb::kConnectionString, path, m_options, m_bill, lines);
    }

    std::string Count(const std::string& table) {
        return m_test.Scalar("SELECT COUNT(*) FROM " + table);
    }

    TestDb m_test;
    CADODatabase m_db;
    int m_order = 10;
    std::int64_t m_card = 0, m_other = 0;
    BillOptions m_options;
    BillFile m_bill; // the last one imported: its lines point at its rows
};

// A scheme saved once is found again by the statement's heading alone, under its new name
// once renamed; a name cannot be taken twice; a deleted scheme recognises nothing.
TEST_F(BankImportTest, SchemesAreSavedRecognisedRenamedAndDeleted) {
    CBankSchemeStore store(m_db);
    const std::string bytes = bank_files::SignedCsv(kMarch, "6214830212341234");
    BillFile bill;
    AnyBillRead read;
    EXPECT_FALSE(ReadAnyBill(m_db, bytes, "march.csv", bill, read));
    EXPECT_TRUE(read.bNeedsScheme);
    EXPECT_EQ(read.guess[BankAmount], 1);
    EXPECT_EQ(read.guess.nAccount, m_card) << "the preamble names the card";
    EXPECT_EQ(read.strError.rfind("“march.csv”不是支付宝或微信支付的账单", 0), 0u) << read.strError;

    EXPECT_EQ(store.Save(Signed("", m_card)), "请给导入方案起一个名字！");
    EXPECT_EQ(store.Save(Signed("招行储蓄卡", m_card)), "");
    EXPECT_EQ(store.Save(Signed("旧方案", m_other)), "");
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM bankScheme"), "2");
    ASSERT_TRUE(ReadAnyBill(m_db, bytes, "march.csv", bill, read)) << read.strError;
    EXPECT_EQ(bill.nKind, BillKind::Bank);
    EXPECT_EQ(bill.strScheme, "招行储蓄卡");
    EXPECT_EQ(bill.nAccount, m_card);
    EXPECT_EQ(bill.rows.size(), 3u);
    // The other card's statement has the same heading: its number picks its scheme.
    ASSERT_TRUE(ReadAnyBill(m_db, bank_files::SignedCsv(kMarch, "6214 **** 9876"), "b.csv", bill,
                            read));
    EXPECT_EQ(bill.strScheme, "旧方案");

    EXPECT_EQ(store.Rename("招行储蓄卡", "旧方案"), "已经有一个这样名字的导入方案！");
    EXPECT_EQ(store.Rename("招行储蓄卡", ""), "请给导入方案起一个名字！");
    EXPECT_EQ(store.Rename("没有的", "新"), "没有这个导入方案！");
    EXPECT_EQ(store.Rename("招行储蓄卡", "工资卡"), "");
    ASSERT_TRUE(ReadAnyBill(m_db, bytes, "march.csv", bill, read));
    EXPECT_EQ(bill.strScheme, "工资卡");
    const std::vector<CBankScheme> schemes = store.Load();
    ASSERT_EQ(schemes.size(), 2u);
    EXPECT_EQ(schemes[0].header, Signed("", 0).header);
    EXPECT_EQ(schemes[0].columns, Signed("", 0).columns);

    EXPECT_TRUE(store.Delete("工资卡"));
    EXPECT_TRUE(store.Delete("旧方案"));
    EXPECT_FALSE(store.Delete("旧方案"));
    EXPECT_FALSE(ReadAnyBill(m_db, bytes, "march.csv", bill, read));
    EXPECT_TRUE(read.bNeedsScheme);
}

// Both layouts store the same records into the statement's account; the same statement
// again, or one overlapping it, adds only what is new.
TEST_F(BankImportTest, EachLineIsStoredOnceWhateverTheLayout) {
    CBankScheme columns = GuessBankScheme(
        {"交易日期", "交易时间", "收入金额", "支出金额", "账户余额", "交易摘要", "对方名称"});
    columns.strName = "工行";
    columns.nAccount = m_card;
    ASSERT_EQ(CBankSchemeStore(m_db).Save(columns), "");
    std::vector<BillLine> lines;
    BillSummary summary = Import(File("工行.csv", bank_files::ColumnsCsv(kMarch)), lines);
    ASSERT_EQ(summary.strError, "");
    EXPECT_EQ(BillSummaryText(summary), "导入完成！收入 1 笔，支出 2 笔，转账 0 笔，不记 0 笔，出错 0 笔。");
    EXPECT_EQ(m_test.Query("SELECT 支出人员, 备注 FROM normalPay ORDER BY 支出金额"),
              (std::vector<std::vector<std::string>>{{"爸爸", "快捷支付"}, {"爸爸", "云膳过桥米线 消费"}}));
    EXPECT_EQ(Count("normalPay WHERE 支出金额 = 28.16"), "1");
    EXPECT_EQ(Count("accountLink WHERE 账户 = " + std::to_string(m_card)), "3");

    summary = Import(File("again.csv", bank_files::ColumnsCsv(kMarch)), lines);
    EXPECT_EQ(BillSummaryText(summary), "导入完成！收入 0 笔，支出 0 笔，转账 0 笔，不记 3 笔，出错 0 笔。");
    for (const BillLine& line : lines)
        EXPECT_EQ(line.strReason, "以前导入过");

    // A later statement of the card: the line it shares is known, the other is new.
    const std::vector<Line> later = {kMarch[2], {"2024-03-06", "-100.00", "4959.84", "消费", "超市"}};
    summary = Import(File("later.csv", bank_files::ColumnsCsv(later)), lines);
    EXPECT_EQ(summary.strError, "");
    EXPECT_EQ(Count("normalPay"), "3");
    EXPECT_EQ(Count("normalIncome"), "1");
}

// A balance that parts from the account's running balance is named with both amounts and
// nothing is written, unless accepted; one that agrees goes in.
TEST_F(BankImportTest, BalanceThatPartsStopsTheImport) {
    ASSERT_EQ(CBankSchemeStore(m_db).Save(Signed("招行", m_card)), "");
    std::vector<Line> wrong = kMarch;
    wrong[1].balance = "5071.48";
    wrong[2].balance = "5059.48";
    std::vector<BillLine> lines;
    BillSummary summary = Import(File("wrong.csv", bank_files::SignedCsv(wrong)), lines);
    EXPECT_EQ(summary.strError,
              "第 7 行（2024-03-02）的余额对不上：账单上是 5071.48，按账户“招商银行(1234)”的记录"
              "算出来是 5071.84。\n没有导入。核对账户后再导入，或者加上 --accept-balance。");
    EXPECT_EQ(Count("normalPay"), "0");
    EXPECT_EQ(Count("normalIncome"), "0");

    // The ledger's own records count: a payment typed before the statement moves its start.
    m_test.Exec("INSERT INTO normalPay (支出人员, 支出项目, 支出金额, 支出日期) VALUES ('爸爸', "
                "'交通', 1, '2024-02-10 08:00:00')");
    const std::string id = m_test.Scalar("SELECT MAX(编号) FROM normalPay");
    m_test.Exec("INSERT INTO accountLink (表, 编号, 账户) VALUES ('normalPay', " + id + ", " +
                std::to_string(m_card) + ")");
    summary = Import(File("march.csv", bank_files::SignedCsv(kMarch)), lines);
    EXPECT_EQ(summary.strError.rfind("第 6 行（2024-03-01）的余额对不上：账单上是 5100.00，"
                                     "按账户“招商银行(1234)”的记录算出来是 5099.00。", 0),
              0u)
        << summary.strError;
    m_options.bAcceptBalance = true;
    summary = Import(File("march.csv", bank_files::SignedCsv(kMarch)), lines);
    EXPECT_EQ(summary.strError, "");
    EXPECT_EQ(Count("normalPay"), "3");
}

// Statements give the day alone: a payment typed by hand that day with the same amount is
// a possible twin, not stored by the tool; one typed the day before is not.
TEST_F(BankImportTest, PaymentTypedByHandThatDayIsAPossibleTwin) {
    ASSERT_EQ(CBankSchemeStore(m_db).Save(Signed("招行", m_card)), "");
    m_test.Exec("INSERT INTO normalPay (支出人员, 支出项目, 支出金额, 支出日期) VALUES ('爸爸', "
                "'餐饮', 28.16, '2024-03-02 12:40:00'), ('爸爸', '交通', 12, '2024-03-04 09:00:00')");
    std::vector<BillLine> lines;
    m_options.bAcceptBalance = true;
    const BillSummary summary = Import(File("march.csv", bank_files::SignedCsv(kMarch)), lines);
    EXPECT_EQ(summary.strError, "");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[1].bPossibleDuplicate);
    EXPECT_FALSE(lines[1].Stored());
    EXPECT_FALSE(lines[2].bPossibleDuplicate);
    EXPECT_EQ(Count("normalPay"), "3");
}

// A broken old Excel file and a file with no heading to map are refused in plain words, naming
// the file.
TEST_F(BankImportTest, FilesItCannotReadAreNamed) {
    std::vector<BillLine> lines;
    BillSummary summary = Import(File("明细.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                                                     std::string(512, '\0')),
                                 lines);
    EXPECT_EQ(summary.strError, "“明细.xls”不是完好的 Excel 文件（.xls），读不出账单（文件损坏）。");
    summary = Import(File("notes.csv", "买菜\n记得交电费\n"), lines);
    EXPECT_EQ(summary.strError, "“notes.csv”不是支付宝或微信支付的账单，也没有能用的标题行。");
    // Without a scheme the tool reads a statement by its headings when told the account.
    const std::string path = File("march.csv", bank_files::SignedCsv(kMarch));
    summary = Import(path, lines);
    EXPECT_EQ(summary.strError.rfind("“march.csv”不是支付宝或微信支付的账单，也没有保存过", 0), 0u);
    m_options.strAccount = "招商银行(1234)";
    summary = Import(path, lines);
    EXPECT_EQ(summary.strError, "");
    EXPECT_EQ(Count("normalPay"), "2");
}

} // namespace
