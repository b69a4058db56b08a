#include "tests/support/TempDir.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
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

} // namespace
