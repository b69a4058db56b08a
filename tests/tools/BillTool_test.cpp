#include "tests/bills/BankFiles.h"
#include "tests/bills/BillWorkbooks.h"
#include "tests/bills/XlsFiles.h"
#include "tests/support/TempDir.h"
#include "tests/tools/ServerDatabase.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kImport = COFFER_IMPORT;
const std::string kInitDb = COFFER_INITDB;

// A WeChat Pay bill: a paid meal, a payment still waiting, money received.
const char* const kBill =
    "\xEF\xBB\xBF微信支付账单明细,,,,,,,,,,\n"
    "微信昵称：[花花],,,,,,,,,,\n"
    "----------------------微信支付账单明细列表--------------------,,,,,,,,,,\n"
    "交易时间,交易类型,交易对方,商品,收/支,金额(元),支付方式,当前状态,交易单号,商户单号,备注\n"
    "2024-03-05 12:30:45,商户消费,云膳过桥米线,\"米线\",支出,¥28.16,零钱,支付成功,W1\t,M1\t,/\n"
    "2024-03-05 13:00:00,商户消费,某店,\"/\",支出,¥9.00,零钱,支付中,W2\t,M2\t,/\n"
    "2024-03-06 08:00:00,转账,李四,\"/\",收入,¥100.00,/,已收钱,W3\t,/,/\n";

std::string Scalar(const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2("data.mdb", &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    std::string value = "<none>";
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

struct BillToolCase {
    const char* name;
    const char* arguments; // after --bill
    int exitCode;
    const char* says;
    const char* records; // normalPay and normalIncome rows afterwards
};

class BillToolTest : public testing::TestWithParam<BillToolCase> {};

// Whose bill it is must be clear; a file that is no bill is named; a good bill goes in once,
// its unfinished rows listed with their reasons.
TEST_P(BillToolTest, ImportsABillOrSaysWhyNot) {
    testing_support::TempDir dir;
    ASSERT_EQ(RunCommand(kInitDb + " data.mdb").exitCode, 0);
    std::ofstream("bill.csv", std::ios::binary) << kBill;
    std::ofstream("other.csv", std::ios::binary) << "日期,金额\n2024-01-01,1\n";
    std::ofstream("bank.csv", std::ios::binary) << "记账日期,交易金额,余额,摘要\n2024-03-01,-8.00,92.00,咖啡\n";
    const ToolRun run = RunCommand(kImport + " --bill " + GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.output;
    EXPECT_NE(run.output.find(GetParam().says), std::string::npos) << run.output;
    EXPECT_EQ(Scalar("SELECT (SELECT COUNT(*) FROM normalPay) || '+' || "
                     "(SELECT COUNT(*) FROM normalIncome)"),
              GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, BillToolTest,
    testing::Values(
        BillToolCase{"WhoseBill", "bill.csv data.mdb", 1, "--member", "0+0"},
        BillToolCase{"UnknownMember", "bill.csv --member 奶奶 data.mdb", 1, "没有这个家庭成员：奶奶",
                     "0+0"},
        BillToolCase{"UnknownAccount", "bill.csv --member 妈妈 --account 银行 data.mdb", 1,
                     "没有这个账户：银行", "0+0"},
        BillToolCase{"NotABill", "other.csv --member 妈妈 data.mdb", 1, "“other.csv”不是", "0+0"},
        BillToolCase{"Imported", "bill.csv --member 妈妈 data.mdb", 0,
                     "导入完成！收入 1 笔，支出 1 笔，转账 0 笔，不记 1 笔，出错 0 笔。\n"
                     "第 6 行：不记，还没有完成：支付中",
                     "1+1"},
        BillToolCase{"Twice", "bill.csv --member 妈妈 data.mdb && " COFFER_IMPORT
                              " --bill bill.csv --member 妈妈 data.mdb",
                     0, "收入 0 笔，支出 0 笔，转账 0 笔，不记 3 笔", "1+1"},
        BillToolCase{"BankBalanceParts", "bank.csv --member 妈妈 --account 现金 data.mdb", 1,
                     "第 2 行（2024-03-01）的余额对不上：账单上是 92.00，按账户“现金”的记录算出来是 "
                     "-8.00。\n没有导入。",
                     "0+0"},
        BillToolCase{"BankBalanceAccepted",
                     "bank.csv --member 妈妈 --account 现金 --accept-balance data.mdb", 0,
                     "导入完成！收入 0 笔，支出 1 笔", "1+0"}),
    [](const testing::TestParamInfo<BillToolCase>& tested) { return std::string(tested.param.name); });

struct WorkbookToolCase {
    const char* name;
    bool bServer;
};

class BillToolWorkbookTest : public testing::TestWithParam<WorkbookToolCase> {};

// A WeChat Pay bill downloaded as a workbook and a bank statement as an old Excel file go in
// through the tool as their CSV files do, once, on a ledger file and on the server alike.
TEST_P(BillToolWorkbookTest, WorkbooksGoInOnce) {
    if (GetParam().bServer && !std::getenv("COFFER_TEST_PGHOST"))
        GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
    testing_support::TempDir dir;
    std::unique_ptr<testing_support::ServerDatabase> server;
    std::string ledger = "data.mdb";
    if (GetParam().bServer) {
        server = std::make_unique<testing_support::ServerDatabase>();
        ledger = "'" + server->Uri() + "'";
        ASSERT_EQ(RunCommand(kInitDb + " --server " + ledger).exitCode, 0);
    } else {
        ASSERT_EQ(RunCommand(kInitDb + " data.mdb").exitCode, 0);
    }
    const std::vector<bill_files::Payment> payments = {
        {"2024-03-05 12:30:45", "商户消费", "云膳过桥米线", "米线", "支出", "28.16", "零钱",
         "支付成功", "W1", "M1"},
        {"2024-03-05 13:00:00", "商户消费", "某店", "", "支出", "9.00", "零钱", "支付中", "W2",
         "M2"},
        {"2024-03-06 08:00:00", "转账", "李四", "", "收入", "100.00", "", "已收钱", "W3", ""},
    };
    std::ofstream("bill.xlsx", std::ios::binary) << bill_files::WeChatXlsx(payments, {false, true});
    std::ofstream("明细.xls", std::ios::binary)
        << xls_files::Workbook(xls_files::Statement(bank_files::March()));
    const struct {
        std::string arguments;
        const char* says;
    } runs[] = {
        {"bill.xlsx --member 妈妈 ", "导入完成！收入 1 笔，支出 1 笔，转账 0 笔，不记 1 笔，出错 0 "
                                     "笔。\n第 19 行：不记，还没有完成：支付中"},
        {"bill.xlsx --member 妈妈 ", "收入 0 笔，支出 0 笔，转账 0 笔，不记 3 笔"},
        {"明细.xls --member 妈妈 --account 现金 --accept-balance ",
         "导入完成！收入 1 笔，支出 2 笔，转账 0 笔，不记 0 笔"},
    };
    for (const auto& each : runs) {
        const ToolRun run = RunCommand(kImport + " --bill " + each.arguments + ledger);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find(each.says), std::string::npos) << run.output;
    }
    const std::string sql = "SELECT (SELECT COUNT(*) FROM normalPay) || '+' || "
                            "(SELECT COUNT(*) FROM normalIncome)";
    EXPECT_EQ(server ? server->Query(sql).at(0).at(0) : Scalar(sql.c_str()), "3+2");
}

INSTANTIATE_TEST_SUITE_P(Ledgers, BillToolWorkbookTest,
                         testing::Values(WorkbookToolCase{"File", false},
                                         WorkbookToolCase{"Server", true}),
                         [](const testing::TestParamInfo<WorkbookToolCase>& each) {
                             return std::string(each.param.name);
                         });

} // namespace
