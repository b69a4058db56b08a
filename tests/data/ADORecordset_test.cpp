#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/FormatDateTime.h"
#include "platform/ado/ComError.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using testing_support::TestDb;

class ADORecordsetTest : public testing::Test {
protected:
    void SetUp() override {
        m_db.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(m_db.Open());
    }

    // Adds an income record the way the entry dialog does.
    void AddIncome(const std::string& member, double amount, const COleDateTime& date,
                   const std::string& category, const std::string& note) {
        CADORecordset rs(&m_db);
        ASSERT_TRUE(rs.Open("normalIncome", CADORecordset::ModeTable));
        ASSERT_TRUE(rs.AddNew());
        ASSERT_TRUE(rs.SetFieldValue("收入人员", member));
        ASSERT_TRUE(rs.SetFieldValue("收入金额", amount));
        ASSERT_TRUE(rs.SetFieldValue("收入日期", date));
        ASSERT_TRUE(rs.SetFieldValue("收入项目", category));
        ASSERT_TRUE(rs.SetFieldValue("备注", note));
        ASSERT_TRUE(rs.Update());
    }

    std::vector<std::string> Column(const std::string& sql, int index) {
        CADORecordset rs(&m_db);
        std::vector<std::string> values;
        if (!rs.Open(sql, CADORecordset::ModeQuery))
            return values;
        while (!rs.IsEOF()) {
            std::string text;
            EXPECT_TRUE(rs.GetFieldValue(index, text));
            values.push_back(text);
            rs.MoveNext();
        }
        return values;
    }

    TestDb m_file;
    CADODatabase m_db;
};

TEST_F(ADORecordsetTest, AddsAndReadsBackARecord) {
    AddIncome("爸爸", 1234.5, COleDateTime(2010, 11, 13, 7, 17, 7), "工资", "");
    EXPECT_EQ(m_file.Query("select * from normalIncome"),
              (std::vector<std::vector<std::string>>{
                  {"1", "爸爸", "1234.5", "2010-11-13 07:17:07", "工资", TestDb::kNull}}));

    CADORecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("select * from normalIncome where 编号 = 1", CADORecordset::ModeQuery));
    ASSERT_EQ(rs.GetRecordCount(), 1);
    std::string id, member, category, note = "old";
    double amount = 0;
    COleDateTime date;
    EXPECT_TRUE(rs.GetFieldValue(0, id));
    EXPECT_TRUE(rs.GetFieldValue(1, member));
    EXPECT_TRUE(rs.GetFieldValue(2, amount));
    EXPECT_TRUE(rs.GetFieldValue(3, date));
    EXPECT_TRUE(rs.GetFieldValue(4, category));
    EXPECT_TRUE(rs.GetFieldValue(5, note));
    EXPECT_EQ(id, "1");
    EXPECT_EQ(member, "爸爸");
    EXPECT_DOUBLE_EQ(amount, 1234.5);
    EXPECT_EQ(FormatDateTime(date, "%Y-%m-%d %H时"), "2010-11-13 07时");
    EXPECT_EQ(category, "工资");
    EXPECT_EQ(note, "");
}

TEST_F(ADORecordsetTest, ListTablesOpenInInsertionOrder) {
    EXPECT_EQ(Column("家庭成员", 1), (std::vector<std::string>{"爸爸", "妈妈", "孩子"}));
}

} // namespace
