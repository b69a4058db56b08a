#include "records/RecordWriter.h"

#include "data/ADODatabase.h"
#include "data/ADOException.h"
#include "platform/ado/LedgerSchema.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;

// The same records written one by one and as a batch must leave the same rows behind: the
// record, its account link, its source and order number, and what the triggers keep.
class RecordBatchTest : public testing::Test {
protected:
    RecordBatchTest() {
        m_test.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
                    "('工资卡', '储蓄卡', 0, '2020-01-01', 1, 0), "
                    "('旧卡', '储蓄卡', 0, '2020-01-01', 2, 1)");
        if (!TestDb::OnServer())
            for (const std::string& statement : ado::ledger_schema::Named("search").file)
                m_test.Exec(statement);
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
    }

    // Every kind of record a bill brings, and every refusal the writer knows.
    static std::vector<CNewRecord> Records() {
        std::vector<CNewRecord> records;
        auto add = [&records](bool bIncome, const char* amount, const char* member, const char* item,
                              const char* note, const char* account, const char* order) {
            CNewRecord record;
            record.bIncome = bIncome;
            record.strAmount = amount;
            record.strMember = member;
            record.strItem = item;
            record.dtRecord = COleDateTime(2024, 3, 5, 12, static_cast<int>(records.size()), 7);
            record.strNote = note;
            record.strAccount = account;
            record.strOrder = order;
            records.push_back(record);
        };
        add(false, "28.16", "妈妈", "餐饮", "云膳过桥米线(传奇广场店) 总共消费:28.16", "工资卡", "1001");
        add(true, "5000", "妈妈", "工资", "单位 工资", "工资卡", "1002");
        add(false, "-12.50", "妈妈", "餐饮", "退款 it's back", "工资卡", "1003_1");
        add(false, "3", "妈妈", "交通", "", "", "1004");
        add(false, "7.07", "妈妈", "餐饮", "没有单号", "（不指定）", "");
        add(false, "9", "妈妈", "餐饮", "未知账户", "保险柜", "1005");
        add(false, "9", "妈妈", "餐饮", "停用账户", "旧卡", "1006");
        add(false, "9", "邻居", "餐饮", "不是家里人", "工资卡", "1007");
        add(false, "9", "妈妈", "工资", "收入类别记在支出", "工资卡", "1008");
        add(false, "0", "妈妈", "餐饮", "零", "工资卡", "1009");
        add(false, "1.234", "妈妈", "餐饮", "到厘", "工资卡", "1010");
        add(true, "0.01", "妈妈", "工资", "一分", "工资卡", "1011");
        return records;
    }

    // Writes the records under `source` in one transaction; the outcomes and messages.
    std::vector<std::string> Write(const std::string& source, bool bBatch,
                                   const std::vector<CNewRecord>& records = Records()) {
        std::vector<std::string> outcomes;
        EXPECT_TRUE(m_db.BeginTrans());
        CRecordWriter writer(m_db);
        if (bBatch)
            writer.StartBatch();
        for (CNewRecord record : records) {
            record.strSource = source;
            const CRecordWriter::Result result = writer.AddWithin(record);
            outcomes.push_back(std::to_string(result.nOutcome) + " " + result.strMessage);
        }
        writer.FinishBatch();
        EXPECT_TRUE(m_db.CommitTrans());
        return outcomes;
    }

    // What the ledger holds for the records numbered past `after`: the record, its account,
    // its order number, and (on the file) the size the search index keeps of it.
    Rows Held(const char* table, const char* prefix, const std::string& after) {
        const std::string p = prefix;
        Rows rows = m_test.Query(
            "SELECT r." + p + "人员, r." + p + "项目, r." + p + "金额, r." + p + "日期, r.备注, " +
            "a.名称, o.单号, l.对账 FROM " + table +
            " r LEFT JOIN accountLink l ON l.表 = '" + table + "' AND l.编号 = r.编号 LEFT JOIN "
            "accountList a ON a.ID = l.账户 LEFT JOIN billOrder o ON o.表 = '" + table +
            "' AND o.编号 = r.编号 WHERE r.编号 > " + after + " ORDER BY r.编号");
        if (!TestDb::OnServer()) {
            const std::string index = std::string(table) == "normalPay" ? "searchPay" : "searchIncome";
            const Rows sizes = m_test.Query("SELECT d.sz FROM " + index + "_docsize d, " + table +
                                            " r WHERE d.id = r.编号 AND r.编号 > " + after +
                                            " ORDER BY r.编号");
            EXPECT_EQ(sizes.size(), rows.size()) << table;
            for (size_t n = 0; n < rows.size() && n < sizes.size(); ++n)
                rows[n].push_back(sizes[n][0]);
        }
        return rows;
    }

    std::string Last(const char* table) {
        return m_test.Scalar(std::string("SELECT COALESCE(MAX(编号), 0) FROM ") + table);
    }

    TestDb m_test;
    CADODatabase m_db;
};

TEST_F(RecordBatchTest, BatchLeavesWhatSingleWritesLeave) {
    const std::string payBefore = Last("normalPay"), incomeBefore = Last("normalIncome");
    const std::vector<std::string> single = Write("甲", false);
    const std::string payBetween = Last("normalPay"), incomeBetween = Last("normalIncome");
    const std::vector<std::string> batch = Write("乙", true);

    EXPECT_EQ(batch, single);
    const Rows pay = Held("normalPay", "支出", payBefore);
    const Rows income = Held("normalIncome", "收入", incomeBefore);
    const Rows batchPay = Held("normalPay", "支出", payBetween);
    const Rows batchIncome = Held("normalIncome", "收入", incomeBetween);
    ASSERT_EQ(pay.size(), 8u); // 4 records of the single run, 4 of the batch
    ASSERT_EQ(income.size(), 4u);
    EXPECT_EQ(Rows(pay.begin(), pay.begin() + 4), batchPay);
    EXPECT_EQ(Rows(income.begin(), income.begin() + 2), batchIncome);
    EXPECT_EQ(batchPay[0][5], "工资卡");
    EXPECT_EQ(batchPay[0][6], "1001");
    EXPECT_EQ(batchPay[2][5], TestDb::kNull); // no account
    EXPECT_EQ(batchPay[3][6], TestDb::kNull); // no order number
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM billOrder WHERE 来源 = '乙'"), "5");

    if (!TestDb::OnServer()) {
        // The index finds the batch's records by their words, as it finds the others.
        EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM searchPay WHERE searchPay MATCH '过桥米线'"),
                  "2");
        EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM searchIncome WHERE searchIncome MATCH "
                                "'\"0.01\"'"),
                  "2");
    }
}

// Links of consecutive records of one account go in a run at a time: each run links its
// own records and no neighbour's, whatever ends it (another account, none, the other table).
TEST_F(RecordBatchTest, RunsOfOneAccountLinkTheirOwnRecords) {
    m_test.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
                "('钱包', '现金', 0, '2020-01-01', 3, 0)");
    std::vector<CNewRecord> records;
    const struct {
        int nCount;
        bool bIncome;
        const char* szAccount;
    } runs[] = {{20, false, "工资卡"}, {17, false, "钱包"}, {1, false, ""},
                {3, false, "工资卡"},  {18, true, "工资卡"}, {16, false, "工资卡"}};
    for (const auto& run : runs)
        for (int n = 0; n < run.nCount; ++n) {
            CNewRecord record;
            record.bIncome = run.bIncome;
            record.strAmount = std::to_string(records.size() + 1);
            record.strMember = "妈妈";
            record.strItem = run.bIncome ? "工资" : "餐饮";
            record.dtRecord = COleDateTime(2024, 3, 5, 12, 0, 0);
            record.strAccount = run.szAccount;
            records.push_back(record);
        }
    const std::string payBefore = Last("normalPay"), incomeBefore = Last("normalIncome");
    const std::vector<std::string> single = Write("甲", false, records);
    const std::string payBetween = Last("normalPay"), incomeBetween = Last("normalIncome");
    EXPECT_EQ(Write("乙", true, records), single);

    const Rows pay = Held("normalPay", "支出", payBefore);
    const Rows income = Held("normalIncome", "收入", incomeBefore);
    ASSERT_EQ(pay.size(), 2u * 57);
    ASSERT_EQ(income.size(), 2u * 18);
    EXPECT_EQ(Rows(pay.begin(), pay.begin() + 57), Held("normalPay", "支出", payBetween));
    EXPECT_EQ(Rows(income.begin(), income.begin() + 18), Held("normalIncome", "收入", incomeBetween));
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM accountLink"), std::to_string(2 * (37 + 3 + 18 + 16)));
}

// A batch holds rows back on the server: a failure while they are sent still takes the whole
// transaction with it, records included.
TEST_F(RecordBatchTest, AFailureInTheAttachedRowsLeavesNothing) {
    m_test.FailInsertsFrom("billOrder", 2, "满了");
    EXPECT_TRUE(m_db.BeginTrans());
    bool bThrown = false;
    try {
        CRecordWriter writer(m_db);
        writer.StartBatch();
        for (CNewRecord record : Records()) {
            record.strSource = "甲";
            writer.AddWithin(record);
        }
        writer.FinishBatch();
        m_db.CommitTrans();
    } catch (const CADOException&) {
        bThrown = true;
        m_db.RollbackTrans();
    }
    EXPECT_TRUE(bThrown);
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM normalPay"), "0");
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM accountLink"), "0");
    EXPECT_EQ(m_test.Scalar("SELECT COUNT(*) FROM billOrder"), "0");
}

} // namespace
