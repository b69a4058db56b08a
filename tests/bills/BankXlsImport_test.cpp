#include "bills/BankScheme.h"
#include "bills/BillImport.h"

#include "accounts/AccountStore.h"
#include "data/ADODatabase.h"
#include "tests/bills/BankFiles.h"
#include "tests/bills/BillFiles.h"
#include "tests/bills/XlsFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bank_files::Line;
using testing_support::TestDb;

const std::vector<Line>& kMarch = bank_files::March();

// A card with its bank's scheme saved from an earlier statement.
class BankXlsImportTest : public testing::Test {
protected:
    BankXlsImportTest() {
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
        CAccount account;
        account.strName = "招商银行(1234)";
        account.strKind = "储蓄卡";
        account.nOpening = 10000;
        account.strOpeningDate = "2024-01-01";
        account.nOrder = 11;
        EXPECT_EQ(CAccountStore(m_db).Save(account), "");
        m_card = account.nId;
        m_options.strMember = "爸爸";
    }

    void SaveScheme() {
        CBankScheme scheme = GuessBankScheme({"记账日期", "交易金额", "余额", "摘要", "对方户名"});
        scheme.strName = "招行";
        scheme.nAccount = m_card;
        ASSERT_EQ(CBankSchemeStore(m_db).Save(scheme), "");
    }

    BillSummary Import(const std::string& name, const std::string& bytes) {
        const std::string path = (m_test.Directory() / name).string();
        bill_files::Write(path, bytes);
        return ImportBillFile(TestDb::kConnectionString, path, m_options, m_bill, m_lines);
    }

    TestDb m_test;
    CADODatabase m_db;
    std::int64_t m_card = 0;
    BillOptions m_options;
    BillFile m_bill;
    std::vector<BillLine> m_lines;
};

// Under a saved scheme an .xls statement goes in as its CSV does; the same statement again,
// as CSV or as a workbook counting its days from 1904, is known line by line (its days,
// amounts and balances read the same) and adds nothing.
TEST_F(BankXlsImportTest, StatementGoesInAsItsCsvDoes) {
    SaveScheme();
    BillSummary summary = Import("明细.xls", xls_files::Workbook(xls_files::Statement(kMarch)));
    ASSERT_EQ(summary.strError, "");
    EXPECT_EQ(BillSummaryText(summary),
              "导入完成！收入 1 笔，支出 2 笔，转账 0 笔，不记 0 笔，出错 0 笔。");
    EXPECT_EQ(m_test.Query("SELECT 支出人员, 备注, 支出日期 FROM normalPay ORDER BY 支出金额"),
              (std::vector<std::vector<std::string>>{
                  {"爸爸", "快捷支付", "2024-03-05 00:00:00"},
                  {"爸爸", "云膳过桥米线 消费", "2024-03-02 00:00:00"}}));
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM normalIncome WHERE 收入金额 = 5000"), "1");
    ASSERT_EQ(m_lines.size(), 3u);
    EXPECT_EQ(m_lines[0].Row().nLine, 5u);

    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"march.csv", bank_files::SignedCsv(kMarch)},
             {"1904.xls", xls_files::Workbook(xls_files::Statement(kMarch), {true, false})}}) {
        SCOPED_TRACE(name);
        summary = Import(name, bytes);
        EXPECT_EQ(BillSummaryText(summary),
                  "导入完成！收入 0 笔，支出 0 笔，转账 0 笔，不记 3 笔，出错 0 笔。");
    }
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM normalPay"), "2");
}

// The balance column is followed as in a CSV statement: the first row where it parts from
// the account's records is named by the sheet's row, and nothing is written.
TEST_F(BankXlsImportTest, BalanceThatPartsNamesTheRow) {
    SaveScheme();
    std::vector<Line> wrong = kMarch;
    wrong[1].balance = "5071.48";
    wrong[2].balance = "5059.48";
    const BillSummary summary =
        Import("明细.xls", xls_files::Workbook(xls_files::Statement(wrong)));
    EXPECT_EQ(summary.strError,
              "第 6 行（2024-03-02）的余额对不上：账单上是 5071.48，按账户“招商银行(1234)”的记录"
              "算出来是 5071.84。\n没有导入。核对账户后再导入，或者加上 --accept-balance。");
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM normalPay"), "0");
}

// An .xls that cannot be read is refused in plain words naming the file, and nothing is
// written.
TEST_F(BankXlsImportTest, UnreadableWorkbooksAreNamed) {
    SaveScheme();
    const std::string good = xls_files::Workbook(xls_files::Statement(kMarch));
    ASSERT_FALSE(good.empty());
    const std::string broken = "“损坏.xls”不是完好的 Excel 文件（.xls），读不出账单（文件损坏）。";
    const struct {
        std::string name;
        std::string bytes;
        std::string says;
    } cases[] = {
        {"损坏.xls", good.substr(0, 8) + std::string(1024, 'x'), broken},
        {"损坏.xls", good.substr(0, good.size() / 2), broken},
        {"加密.xls", xls_files::Workbook(xls_files::Statement(kMarch), {false, true}),
         "“加密.xls”设有密码，Coffer 读不了。请在 Excel 或 WPS 中打开它，取消密码并保存后再导入。"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        const BillSummary summary = Import(each.name, each.bytes);
        EXPECT_EQ(summary.strError, each.says);
    }
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM normalPay"), "0");
}

} // namespace
