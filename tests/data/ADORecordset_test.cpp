#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/FormatDateTime.h"
#include "data/SqlText.h"
#include "platform/ado/ComError.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
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

TEST_F(ADORecordsetTest, DeleteTextRunsButOpenReportsFalse) {
    CADORecordset rs(&m_db);
    EXPECT_FALSE(rs.Open("delete from 家庭成员", CADORecordset::ModeUnknown));
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(m_file.Scalar("select count(*) from 家庭成员"), "0");
}

TEST_F(ADORecordsetTest, EmptyTextReopensThePreviousQuery) {
    CADORecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("   select * from 收入类型", CADORecordset::ModeQuery));
    EXPECT_EQ(rs.GetQuery(), "select * from 收入类型");
    rs.MoveNext();
    ASSERT_TRUE(rs.Open("", CADORecordset::ModeQuery));
    std::string first;
    rs.GetFieldValue(1, first);
    EXPECT_EQ(first, "工资");
    EXPECT_EQ(rs.GetRecordCount(), 4);
}

TEST_F(ADORecordsetTest, AFailedOpenRecordsTheTrimmedQuery) {
    CADORecordset rs(&m_db);
    try {
        rs.Open(" \t select * from nosuch", CADORecordset::ModeQuery);
        FAIL() << "opened an unknown table";
    } catch (const CADOException& e) {
        EXPECT_EQ(e.GetErrorCode(), static_cast<std::int32_t>(0x80040E37));
        EXPECT_NE(e.GetErrorMessage().find("nosuch"), std::string::npos);
    }
    EXPECT_EQ(rs.GetLastError(), 0x80040E37u);
    const std::string source =
        TestDb::OnServer() ? "Coffer PostgreSQL Engine" : "Coffer SQLite Engine";
    EXPECT_EQ(rs.GetLastErrorString().rfind("Query = select * from nosuch\nCADORecordset Error\n"
                                            "\tCode = 80040e37\n\tCode meaning = IDispatch "
                                            "error #3127\n\tSource = " +
                                                source + "\n",
                                            0),
              0u)
        << rs.GetLastErrorString();
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(ADORecordsetTest, ModesOutsideTheQueryAndTableOnesReportFalse) {
    CADORecordset rs(&m_db);
    EXPECT_FALSE(rs.Open("家庭成员", CADORecordset::ModeStoredProcedure));
    EXPECT_FALSE(rs.Open("家庭成员", static_cast<CADORecordset::RecordsetOpenMode>(7)));
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(ADORecordsetTest, WritesNeedAnEdit) {
    CADORecordset rs(&m_db);
    const std::string before = m_file.Scalar("select password from tbUser");
    ASSERT_TRUE(rs.Open("select * from tbUser where user = 'root'", CADORecordset::ModeQuery));
    EXPECT_TRUE(rs.Update()); // nothing pending
    EXPECT_FALSE(rs.SetFieldValue(2, std::string("changed")));
    EXPECT_FALSE(rs.SetFieldValue("password", std::string("changed")));
    EXPECT_TRUE(rs.Update());
    EXPECT_EQ(m_file.Scalar("select password from tbUser"), before);

    rs.Edit();
    EXPECT_EQ(rs.GetEditStatus(), CADORecordset::EditExisting);
    EXPECT_TRUE(rs.SetFieldValue(2, std::string("new")));
    EXPECT_TRUE(rs.Update());
    EXPECT_EQ(rs.GetEditStatus(), CADORecordset::EditNone);
    EXPECT_EQ(m_file.Scalar("select password from tbUser"), "new");
}

TEST_F(ADORecordsetTest, RecordCountsLeaveTheCursorWhereItWas) {
    CADORecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("select * from normalIncome", CADORecordset::ModeQuery));
    EXPECT_EQ(rs.GetRecordCount(), 0);
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_TRUE(rs.IsBOF());
    ASSERT_TRUE(rs.Open("select * from 家庭成员", CADORecordset::ModeQuery));
    rs.MoveNext();
    EXPECT_EQ(rs.GetRecordCount(), 3);
    std::string member;
    rs.GetFieldValue(1, member);
    EXPECT_EQ(member, "妈妈");
}

TEST_F(ADORecordsetTest, APendingAddIsCancelledByTheDestructor) {
    {
        CADORecordset rs(&m_db);
        ASSERT_TRUE(rs.Open("家庭成员", CADORecordset::ModeTable));
        ASSERT_TRUE(rs.AddNew());
        ASSERT_TRUE(rs.SetFieldValue("类型", std::string("外婆")));
    }
    EXPECT_EQ(m_file.Scalar("select count(*) from 家庭成员"), "3");
}

TEST_F(ADORecordsetTest, DeleteRemovesTheCurrentRow) {
    AddIncome("爸爸", 1, COleDateTime(2010, 1, 1, 0, 0, 0), "工资", "a");
    AddIncome("妈妈", 2, COleDateTime(2010, 1, 2, 0, 0, 0), "奖金", "b");
    CADORecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("select * from normalIncome where 编号 = 2", CADORecordset::ModeQuery));
    ASSERT_EQ(rs.GetRecordCount(), 1);
    EXPECT_TRUE(rs.Delete());
    EXPECT_EQ(m_file.Query("select 编号 from normalIncome"),
              (std::vector<std::vector<std::string>>{{"1"}}));
}

TEST_F(ADORecordsetTest, EmptyTextIsStoredAsNullAndReadsBackEmpty) {
    AddIncome("爸爸", 0.5, COleDateTime(2010, 1, 1, 0, 0, 0), "工资", "");
    EXPECT_EQ(m_file.Scalar("select 备注 from normalIncome"), TestDb::kNull);
    EXPECT_EQ(Column("select * from normalIncome", 5), (std::vector<std::string>{""}));
}

TEST_F(ADORecordsetTest, NullColumnsReadAsZeroEmptyAndNullDate) {
    m_file.Exec("insert into normalPay (支出人员) values ('孩子')");
    CADORecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("select * from normalPay", CADORecordset::ModeQuery));
    double amount = 99;
    COleDateTime date(2001, 1, 1, 0, 0, 0);
    std::string note = "x";
    EXPECT_TRUE(rs.GetFieldValue(2, amount));
    EXPECT_TRUE(rs.GetFieldValue(3, date));
    EXPECT_TRUE(rs.GetFieldValue(5, note));
    EXPECT_EQ(amount, 0.0);
    EXPECT_EQ(date.GetStatus(), COleDateTime::null);
    EXPECT_EQ(FormatDateTime(date, "%Y-%m-%d"), "");
    EXPECT_EQ(note, "");
}

TEST_F(ADORecordsetTest, UnknownFieldsTakeTheErrorPath) {
    CADORecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("select * from 家庭成员", CADORecordset::ModeQuery));
    std::string text;
    EXPECT_THROW(rs.GetFieldValue("nosuch", text), CADOException);
    EXPECT_EQ(rs.GetLastError(), 0x800A0CC1u);
    EXPECT_THROW(rs.GetFieldValue(3, text), CADOException);
    rs.Edit();
    EXPECT_THROW(rs.SetFieldValue("nosuch", 1.0), CADOException);
}

TEST_F(ADORecordsetTest, MidnightIsOutsideAStrictlyGreaterRange) {
    AddIncome("爸爸", 1, COleDateTime(2010, 11, 13, 0, 0, 0), "工资", "midnight");
    AddIncome("爸爸", 2, COleDateTime(2010, 11, 13, 0, 0, 1), "工资", "just after");
    AddIncome("爸爸", 3, COleDateTime(2010, 11, 14, 0, 0, 0), "工资", "next midnight");
    const std::string base =
        "select * from normalIncome where 收入日期 > #2010-11-13# and 收入日期 ";
    EXPECT_EQ(Column(base + "< #2010-11-14#", 5), (std::vector<std::string>{"just after"}));
    EXPECT_EQ(Column(base + "<= #2010-11-14#", 5),
              (std::vector<std::string>{"just after", "next midnight"}));
}

TEST_F(ADORecordsetTest, ApostrophesAreStoredAndFoundThroughEscapedTexts) {
    const std::string name = "O'Brien's \"家\"";
    {
        CADORecordset rs(&m_db);
        ASSERT_TRUE(rs.Open("select * from 家庭成员 where 类型 = '" + QuoteSql(name) + "'"));
        EXPECT_EQ(rs.GetRecordCount(), 0);
        ASSERT_TRUE(rs.AddNew());
        ASSERT_TRUE(rs.SetFieldValue("类型", name));
        ASSERT_TRUE(rs.Update());
    }
    EXPECT_EQ(Column("select * from 家庭成员 where 类型 = '" + QuoteSql(name) + "'", 1),
              (std::vector<std::string>{name}));
    AddIncome(name, 1, COleDateTime(2010, 1, 1, 0, 0, 0), "工资", "");
    EXPECT_EQ(Column("select * from normalIncome where 收入日期 > #2009-12-31# and 收入人员='" +
                         QuoteSql(name) + "'",
                     1),
              (std::vector<std::string>{name}));
}

// Keys read at once come as a walk reads them, row after row: integers, also one too wide for
// the server's integer values and a whole real; a row holding a null, a text or a fraction is
// left out, and the key a plain selection carries is not among the values.
TEST_F(ADORecordsetTest, ReadIntegersGivesTheRowsOfWholeNumbers) {
    m_file.Exec("insert into accountLink (表, 编号, 账户) values ('normalPay', 3, 1), "
                "('normalPay', 4, 2), ('normalPay', 5, 1), ('normalIncome', 4, 9)");
    struct Case {
        const char* szColumns;
        std::vector<std::int64_t> expected;
    };
    const Case cases[] = {
        {"编号, 账户", {3, 1, 4, 2, 5, 1}},
        {"编号 + 3000000000", {3000000003, 3000000004, 3000000005}},
        {"编号, cast(账户 as double precision) * 2", {3, 2, 4, 4, 5, 2}},
        {"编号, cast(账户 as double precision) / 2", {4, 1}},
        {"编号, case when 编号 = 4 then null else 账户 end", {3, 1, 5, 1}},
        {"编号, case when 编号 = 5 then 'x' else '7' end", {}},
    };
    for (const Case& c : cases) {
        CADORecordset rs(&m_db);
        std::vector<std::int64_t> values;
        ASSERT_TRUE(rs.ReadIntegers(std::string("select ") + c.szColumns +
                                        " from accountLink where 表 = 'normalPay' order by 编号",
                                    values))
            << c.szColumns;
        EXPECT_EQ(values, c.expected) << c.szColumns;
        EXPECT_FALSE(rs.IsOpen());
    }
    CADORecordset rs(&m_db);
    std::vector<std::int64_t> values;
    EXPECT_THROW(rs.ReadIntegers("select nosuch from accountLink", values), CADOException);
    EXPECT_TRUE(values.empty());
}

} // namespace
