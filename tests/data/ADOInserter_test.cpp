#include "data/ADOInserter.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

const std::vector<std::string> kIncomeColumns = {"收入人员", "收入金额", "收入日期", "收入项目",
                                                 "备注"};

class ADOInserterTest : public testing::Test {
protected:
    void SetUp() override {
        m_db.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(m_db.Open());
    }

    static void Fill(CADOInserter& inserter, const std::string& member, double amount,
                     const COleDateTime& date, const std::string& note) {
        inserter.SetFieldValue(0, member);
        inserter.SetFieldValue(1, amount);
        inserter.SetFieldValue(2, date);
        inserter.SetFieldValue(3, std::string("工资"));
        inserter.SetFieldValue(4, note);
    }

    Rows Income() const {
        return m_file.Query("select 收入人员, 收入金额, 收入日期, 收入项目, 备注 from "
                            "normalIncome order by 编号");
    }

    TestDb m_file;
    CADODatabase m_db;
};

TEST_F(ADOInserterTest, RowsAreStoredAsARecordsetStoresThem) {
    {
        CADORecordset rs(&m_db);
        ASSERT_TRUE(rs.Open("normalIncome", CADORecordset::ModeTable));
        ASSERT_TRUE(rs.AddNew());
        rs.SetFieldValue("收入人员", std::string("爸爸"));
        rs.SetFieldValue("收入金额", 1234.5);
        rs.SetFieldValue("收入日期", COleDateTime(2010, 11, 13, 0, 0, 0));
        rs.SetFieldValue("收入项目", std::string("工资"));
        rs.SetFieldValue("备注", std::string(""));
        ASSERT_TRUE(rs.Update());
    }
    CADOInserter inserter(&m_db, "normalIncome", kIncomeColumns);
    // The same values, then fields left unset: they are null, not the last row's.
    Fill(inserter, "爸爸", 1234.5, COleDateTime(2010, 11, 13, 0, 0, 0), "");
    inserter.Add();
    inserter.SetFieldValue(0, std::string("妈妈"));
    inserter.Add();
    inserter.Finish();
    const Rows rows = Income();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], rows[0]);
    EXPECT_EQ(rows[2], (std::vector<std::string>{"妈妈", TestDb::kNull, TestDb::kNull,
                                                 TestDb::kNull, TestDb::kNull}));
}

TEST_F(ADOInserterTest, RowsWithoutColumnsTakeEveryDefault) {
    CADOInserter inserter(&m_db, "normalIncome", {});
    inserter.Add();
    inserter.Add();
    inserter.Finish();
    EXPECT_EQ(m_file.Query("select 编号, 收入人员, 备注 from normalIncome order by 编号"),
              (Rows{{"1", TestDb::kNull, TestDb::kNull}, {"2", TestDb::kNull, TestDb::kNull}}));
}

TEST_F(ADOInserterTest, ManyRowsInATransactionLandTogetherOrNotAtAll) {
    constexpr int kRows = 2345; // more than one batch of any engine
    for (const bool commit : {false, true}) {
        ASSERT_TRUE(m_db.BeginTrans());
        CADOInserter inserter(&m_db, "normalIncome", kIncomeColumns);
        for (int i = 0; i < kRows; ++i) {
            Fill(inserter, "孩子", i + 0.25, COleDateTime(2020, 1, 1 + i % 28, i % 24, 0, i % 60),
                 "第 " + std::to_string(i) + " 笔");
            inserter.Add();
        }
        inserter.Finish();
        if (commit)
            ASSERT_TRUE(m_db.CommitTrans());
        else
            ASSERT_TRUE(m_db.RollbackTrans());
        EXPECT_EQ(m_file.Scalar("select count(*) from normalIncome"),
                  commit ? std::to_string(kRows) : "0");
    }
    const Rows rows = Income();
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"孩子", "2344.25", "2020-01-21 16:00:04",
                                                     "工资", "第 2344 笔"}));
    // 0.25 + 1.25 + ... + 2344.25
    EXPECT_EQ(m_file.Scalar("select sum(收入金额) from normalIncome"), "2748926.25");
}

// A row others refer to goes in at once and gives its key, after the rows held back; a
// table keyed by several columns takes batched rows too.
TEST_F(ADOInserterTest, RowsAddedNowGiveTheirKeys) {
    ASSERT_TRUE(m_db.BeginTrans());
    CADOInserter records(&m_db, "normalIncome", kIncomeColumns);
    CADOInserter links(&m_db, "billOrder", {"来源", "单号", "表", "编号"});
    Fill(records, "爸爸", 1, COleDateTime(2024, 1, 1, 0, 0, 0), "held back");
    records.Add();
    std::vector<std::int64_t> keys;
    for (int i = 0; i < 3; ++i) {
        Fill(records, "妈妈", 2.5 + i, COleDateTime(2024, 1, 2, 0, 0, 0), "now");
        keys.push_back(records.AddNow());
        links.SetFieldValue(0, std::string("支付宝"));
        links.SetFieldValue(1, "单" + std::to_string(i));
        links.SetFieldValue(2, std::string("normalIncome"));
        links.SetFieldValue(3, static_cast<double>(keys.back()));
        links.Add();
    }
    records.Finish();
    links.Finish();
    ASSERT_TRUE(m_db.CommitTrans());
    EXPECT_EQ(m_file.Query("select o.单号, r.收入金额 from billOrder o, normalIncome r where "
                           "r.编号 = o.编号 order by o.单号"),
              (Rows{{"单0", "2.5"}, {"单1", "3.5"}, {"单2", "4.5"}}));
    EXPECT_EQ(m_file.Scalar("select count(*) from normalIncome"), "4");
    EXPECT_EQ(m_file.Scalar("select min(编号) from normalIncome"), std::to_string(keys[0] - 1));
}

// Keys given ahead for rows held back are the keys the rows get, whether plain rows, rows
// added at once or a row deleted before come between, in a transaction or not.
TEST_F(ADOInserterTest, KeyedRowsGetTheKeysTheyWereGiven) {
    for (const bool bTransaction : {true, false}) {
        m_file.Exec("DELETE FROM normalIncome WHERE 备注 = '最后'");
        if (bTransaction) {
            ASSERT_TRUE(m_db.BeginTrans());
        }
        CADOInserter inserter(&m_db, "normalIncome", kIncomeColumns);
        std::vector<std::pair<std::int64_t, std::string>> keys;
        const std::string steps = "KKKAKKNKK" + std::string(300, 'K') + "AK";
        for (size_t i = 0; i < steps.size(); ++i) {
            const std::string note = steps.substr(i, 1) + std::to_string(i);
            Fill(inserter, "妈妈", 1, COleDateTime(2024, 1, 2, 0, 0, 0),
                 i + 1 == steps.size() ? "最后" : note);
            if (steps[i] == 'A')
                inserter.Add();
            else if (steps[i] == 'N')
                keys.emplace_back(inserter.AddNow(), note);
            else
                keys.emplace_back(inserter.AddKeyed(), i + 1 == steps.size() ? "最后" : note);
        }
        inserter.Finish();
        if (bTransaction) {
            ASSERT_TRUE(m_db.CommitTrans());
        }
        for (const auto& [nKey, note] : keys)
            ASSERT_EQ(m_file.Scalar("select 备注 from normalIncome where 编号 = " +
                                    std::to_string(nKey)),
                      note);
        EXPECT_EQ(m_file.Scalar("select count(*) from normalIncome"),
                  std::to_string((bTransaction ? 1 : 2) * (steps.size() - 1) + 1));
    }
}

// A row written another way while rows wait with keys given ahead takes one of those keys:
// the wait ends in an error, never in rows stored under other keys than they were given.
TEST_F(ADOInserterTest, AKeyTakenMeanwhileIsAnError) {
    if (TestDb::OnServer())
        GTEST_SKIP() << "the server's keyed rows go in at once";
    ASSERT_TRUE(m_db.BeginTrans());
    CADOInserter inserter(&m_db, "normalIncome", kIncomeColumns);
    Fill(inserter, "妈妈", 1, COleDateTime(2024, 1, 2, 0, 0, 0), "at once");
    const std::int64_t nFirst = inserter.AddKeyed();
    Fill(inserter, "妈妈", 2, COleDateTime(2024, 1, 2, 0, 0, 0), "held");
    EXPECT_EQ(inserter.AddKeyed(), nFirst + 1);
    CADORecordset rs(&m_db);
    rs.Open("INSERT INTO normalIncome (收入人员, 收入金额) VALUES ('爸爸', 3)",
            CADORecordset::ModeUnknown);
    ASSERT_EQ(m_db.GetErrorDescription(), "");
    EXPECT_THROW(inserter.Finish(), CADOException);
    ASSERT_TRUE(m_db.RollbackTrans());
}

// Rows held back are refused together when the engine takes them: the error is thrown then,
// none of them is stored, and they are not sent again.
TEST_F(ADOInserterTest, HeldRowsTheEngineRefusesAreThrownAndDropped) {
    CADOInserter orders(&m_db, "billOrder", {"来源", "单号", "表", "编号"});
    for (const char* order : {"单1", "单2", "单1"}) {
        orders.SetFieldValue(0, std::string("支付宝"));
        orders.SetFieldValue(1, std::string(order));
        orders.SetFieldValue(2, std::string("normalPay"));
        orders.SetFieldValue(3, 1.0);
        orders.Add();
    }
    EXPECT_THROW(orders.Finish(), CADOException);
    EXPECT_NE(orders.GetLastErrorString().find("billOrder"), std::string::npos);
    EXPECT_EQ(m_file.Scalar("select count(*) from billOrder"), "0");
    orders.Finish();
    EXPECT_EQ(m_file.Scalar("select count(*) from billOrder"), "0");
}

TEST_F(ADOInserterTest, EngineErrorsAreThrownAndRecorded) {
    // A table or column that is not there.
    EXPECT_THROW(CADOInserter(&m_db, "nosuchtable", kIncomeColumns), CADOException);
    EXPECT_THROW(CADOInserter(&m_db, "normalIncome", {"收入人员", "nosuchcolumn"}), CADOException);

    // A value the column cannot hold fails that row only.
    CADOInserter inserter(&m_db, "normalIncome", kIncomeColumns);
    Fill(inserter, "爸爸", 1, COleDateTime(2011, 2, 3, 4, 5, 6), "");
    inserter.SetFieldValue(1, std::string("不是数字"));
    EXPECT_THROW(inserter.Add(), CADOException);
    EXPECT_NE(inserter.GetLastError(), 0u);
    EXPECT_NE(inserter.GetLastErrorString().find("normalIncome"), std::string::npos);
    Fill(inserter, "爸爸", 1, COleDateTime(2011, 2, 3, 4, 5, 6), "");
    inserter.Add();
    inserter.Finish();
    EXPECT_EQ(Income(), (Rows{{"爸爸", "1.0", "2011-02-03 04:05:06", "工资", TestDb::kNull}}));

    // Once the connection is closed nothing more is written.
    CADOInserter late(&m_db, "normalIncome", kIncomeColumns);
    m_db.Close();
    Fill(late, "妈妈", 2, COleDateTime(2011, 2, 3, 4, 5, 6), "");
    EXPECT_THROW(
        {
            late.Add();
            late.Finish();
        },
        CADOException);
    EXPECT_EQ(Income().size(), 1u);
}

} // namespace
