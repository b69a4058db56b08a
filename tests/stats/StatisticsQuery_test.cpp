#include "stats/StatisticsPeriod.h"
#include "stats/StatisticsQuery.h"
#include "tests/inquiry/InquiryFixture.h"

#include "data/ADODatabase.h"
#include "data/FormatDateTime.h"

namespace {

using Texts = std::vector<std::string>;

class StatisticsQueryTest : public InquiryFixture {
protected:
    StatisticsQueryTest() {
        m_connection.SetConnectionString(testing_support::TestDb::kConnectionString);
        m_connection.Open();
    }

    std::vector<StatisticsRow> Run(StatisticsGrouping grouping, const InquiryPreset& scope) {
        return CStatisticsQuery(m_connection).Run(grouping, scope);
    }
    static InquiryPreset Year(int nYear) {
        return CStatisticsPeriod::Scope(StatisticsPeriod::ThisYear,
                                        COleDateTime(nYear, 6, 1, 0, 0, 0), {}, {});
    }
    /// 分组, 收入, 支出, counts, of every row.
    static std::vector<Texts> Table(const std::vector<StatisticsRow>& rows) {
        std::vector<Texts> table;
        for (const StatisticsRow& row : rows)
            table.push_back({row.strGroup, row.income.Text(), row.expense.Text(),
                             std::to_string(row.nIncome) + "+" + std::to_string(row.nExpense)});
        return table;
    }

    CADODatabase m_connection;
};

TEST_F(StatisticsQueryTest, MonthsAreHalfOpenAndAddUpToTheYear) {
    AddIncome(1, "爸爸", 1, "2012-01-01 00:00:00", "工资"); // the year's first midnight
    AddPay(2, "爸爸", 2, "2012-01-31 23:59:59", "餐饮");
    AddPay(3, "妈妈", 4, "2012-02-01 00:00:00", "餐饮");    // midnight: February's
    AddIncome(4, "妈妈", 8, "2012-02-29 23:59:59", "奖金"); // leap day
    AddIncome(5, "妈妈", 16, "2012-03-01 00:00:00", "奖金");
    AddIncome(6, "爸爸", 32, "2012-12-31 23:59:59", "工资");
    AddIncome(7, "爸爸", 64, "2013-01-01 00:00:00", "工资"); // next year
    AddPay(8, "孩子", 128, "2011-12-31 23:59:59", "教育");   // last year
    const std::vector<StatisticsRow> rows = Run(StatisticsGrouping::ByMonth, Year(2012));
    ASSERT_EQ(rows.size(), 12u);
    const std::vector<Texts> expected = {
        {"2012-01", "1.00", "2.00", "1+1"},  {"2012-02", "8.00", "4.00", "1+1"},
        {"2012-03", "16.00", "0.00", "1+0"}, {"2012-04", "0.00", "0.00", "0+0"},
        {"2012-05", "0.00", "0.00", "0+0"},  {"2012-06", "0.00", "0.00", "0+0"},
        {"2012-07", "0.00", "0.00", "0+0"},  {"2012-08", "0.00", "0.00", "0+0"},
        {"2012-09", "0.00", "0.00", "0+0"},  {"2012-10", "0.00", "0.00", "0+0"},
        {"2012-11", "0.00", "0.00", "0+0"},  {"2012-12", "32.00", "0.00", "1+0"},
    };
    EXPECT_EQ(Table(rows), expected);
    const StatisticsRow total = CStatisticsQuery::Total(rows, Year(2012));
    EXPECT_EQ(total.income.Text(), "57.00");
    EXPECT_EQ(total.expense.Text(), "6.00");
    EXPECT_EQ(total.Balance().Text(), "51.00");
    // Each month's listing bounds are the next month's start.
    EXPECT_EQ(FormatDateTime(rows[1].preset->dtLower, "%Y-%m-%d"), "2012-02-01");
    EXPECT_EQ(FormatDateTime(rows[1].preset->dtUpper, "%Y-%m-%d"), "2012-03-01");
    EXPECT_EQ(FormatDateTime(rows[11].preset->dtUpper, "%Y-%m-%d"), "2013-01-01");
}

TEST_F(StatisticsQueryTest, AllIsEveryStoredAmountUndatedIncluded) {
    AddIncome(1, "爸爸", 10.5, "2009-11-30 08:00:00", "工资");
    AddIncome(2, "妈妈", 20.25, "2010-02-01 00:00:00", "奖金");
    AddPay(3, "孩子", 7.75, "2010-01-15 12:00:00", "教育");
    AddPay(4, "孩子", 1, nullptr, "教育"); // no date
    const std::vector<StatisticsRow> rows = Run(StatisticsGrouping::ByMonth, InquiryPreset{});
    const std::vector<Texts> expected = {
        {"2009-11", "10.50", "0.00", "1+0"}, {"2009-12", "0.00", "0.00", "0+0"},
        {"2010-01", "0.00", "7.75", "0+1"},  {"2010-02", "20.25", "0.00", "1+0"},
        {"（未填）", "0.00", "1.00", "0+1"},
    };
    EXPECT_EQ(Table(rows), expected);
    EXPECT_FALSE(rows.back().preset); // no listing by date shows it
    const StatisticsRow total = CStatisticsQuery::Total(rows, InquiryPreset{});
    EXPECT_EQ(total.income.Text(), "30.75");
    EXPECT_EQ(std::stod(total.expense.Text()),
              std::stod(m_db.Scalar("SELECT SUM(支出金额) FROM normalPay")));

    // The other groupings count the same records.
    for (StatisticsGrouping grouping :
         {StatisticsGrouping::ByCategory, StatisticsGrouping::ByMember,
          StatisticsGrouping::ByAccount}) {
        const StatisticsRow other = CStatisticsQuery::Total(Run(grouping, InquiryPreset{}), {});
        EXPECT_EQ(other.income.Text(), "30.75");
        EXPECT_EQ(other.expense.Text(), "8.75");
        EXPECT_EQ(other.nIncome + other.nExpense, 4);
    }
}

TEST_F(StatisticsQueryTest, EmptyOrUnknownNamesFormTheirOwnGroups) {
    AddPay(1, "爸爸", 30, "2010-03-01 10:00:00", "餐饮");
    AddPay(2, "", 20, "2010-03-02 10:00:00", "");
    AddPay(3, "O'Neil", 50, "2010-03-03 10:00:00", "旧类别"); // no longer in the lists
    AddIncome(4, "爸爸", 500, "2010-03-04 10:00:00", "工资");
    AddIncome(5, "妈妈", 5, "2010-03-05 10:00:00", "");
    m_db.Exec("INSERT INTO normalPay (编号, 支出人员, 支出金额, 支出日期, 支出项目) "
              "VALUES (6, NULL, 1, '2010-03-06 10:00:00', NULL)");

    EXPECT_EQ(Table(Run(StatisticsGrouping::ByCategory, Year(2010))),
              (std::vector<Texts>{{"工资", "500.00", "0.00", "1+0"},
                                  {"（未填）", "5.00", "0.00", "1+0"},
                                  {"旧类别", "0.00", "50.00", "0+1"},
                                  {"餐饮", "0.00", "30.00", "0+1"},
                                  {"（未填）", "0.00", "21.00", "0+2"}}));
    const std::vector<StatisticsRow> members = Run(StatisticsGrouping::ByMember, Year(2010));
    EXPECT_EQ(Table(members), (std::vector<Texts>{{"爸爸", "500.00", "30.00", "1+1"},
                                                  {"O'Neil", "0.00", "50.00", "0+1"},
                                                  {"妈妈", "5.00", "0.00", "1+0"},
                                                  {"（未填）", "0.00", "21.00", "0+2"}}));
    EXPECT_EQ(members[1].preset->member, std::optional<std::string>("O'Neil"));
    EXPECT_EQ(members[3].preset->member, std::optional<std::string>(""));

    // One member's money: the condition narrows every grouping.
    InquiryPreset dad = Year(2010);
    dad.member = "爸爸";
    EXPECT_EQ(
        Table(Run(StatisticsGrouping::ByCategory, dad)),
        (std::vector<Texts>{{"工资", "500.00", "0.00", "1+0"}, {"餐饮", "0.00", "30.00", "0+1"}}));
}

TEST_F(StatisticsQueryTest, PeriodsAndEmptySpans) {
    AddIncome(1, "爸爸", 1, "2010-11-01 00:00:00", "工资");
    AddIncome(2, "爸爸", 2, "2010-11-17 23:59:59", "工资");
    AddIncome(3, "爸爸", 4, "2010-11-18 00:00:00", "工资");
    AddIncome(4, "爸爸", 8, "2010-12-01 00:00:00", "工资");
    const COleDateTime now(2010, 11, 17, 9, 30, 0);
    struct Case {
        const char* name;
        StatisticsPeriod period;
        COleDateTime from, to;
        size_t nRows;
        const char* income;
    };
    const Case cases[] = {
        {"this month", StatisticsPeriod::ThisMonth, {}, {}, 1, "7.00"},
        {"this year", StatisticsPeriod::ThisYear, {}, {}, 12, "15.00"},
        {"all", StatisticsPeriod::All, {}, {}, 2, "15.00"},
        {"one day, both ends counted", StatisticsPeriod::Interval, now, now, 1, "2.00"},
        {"across a month end", StatisticsPeriod::Interval, COleDateTime(2010, 11, 18, 15, 0, 0),
         COleDateTime(2010, 12, 1, 0, 0, 0), 2, "12.00"},
        {"from after to: nothing", StatisticsPeriod::Interval, COleDateTime(2010, 12, 2, 0, 0, 0),
         COleDateTime(2010, 11, 1, 0, 0, 0), 0, "0.00"},
    };
    for (const Case& c : cases) {
        const InquiryPreset scope = CStatisticsPeriod::Scope(c.period, now, c.from, c.to);
        const std::vector<StatisticsRow> rows = Run(StatisticsGrouping::ByMonth, scope);
        EXPECT_EQ(rows.size(), c.nRows) << c.name;
        EXPECT_EQ(CStatisticsQuery::Total(rows, scope).income.Text(), c.income) << c.name;
    }
}

TEST_F(StatisticsQueryTest, ManyCentsSumExactly) {
    std::string sql = "INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) VALUES ";
    for (int i = 1; i <= 10000; ++i)
        sql += std::string(i > 1 ? ", " : "") + "('妈妈', 0.1, '2010-0" +
               std::to_string(1 + i % 9) + "-15 12:00:00', '餐饮')";
    m_db.Exec(sql);
    const std::vector<StatisticsRow> rows = Run(StatisticsGrouping::ByMonth, Year(2010));
    const StatisticsRow total = CStatisticsQuery::Total(rows, Year(2010));
    EXPECT_EQ(total.expense.Text(), "1000.00");
    EXPECT_EQ(total.nExpense, 10000);
    EXPECT_EQ(Run(StatisticsGrouping::ByMember, Year(2010)).front().expense.Text(), "1000.00");
}

TEST(StatisticsStatement, MonthsAreFoundByABalancedTreeOfComparisons) {
    InquiryPreset scope;
    scope.bSpan = true;
    scope.dtLower = COleDateTime(2010, 1, 1, 0, 0, 0);
    scope.dtUpper = COleDateTime(2010, 4, 1, 0, 0, 0);
    const auto bounds = CStatisticsQuery::MonthBounds(scope.dtLower, scope.dtUpper);
    ASSERT_EQ(bounds.size(), 4u);
    EXPECT_EQ(
        CStatisticsQuery::BuildStatement(kPaySource, StatisticsGrouping::ByMonth, scope, bounds),
        "select case when 支出日期 < #2010-02-01# then 0 else case when 支出日期 < #2010-03-01# "
        "then 1 else 2 end end as grp, count(*), sum(round(支出金额 * 100)), "
        "sum(支出金额 * 100 - round(支出金额 * 100)) from normalPay where 支出日期 >= "
        "#2010-01-01# and 支出日期 < #2010-04-01# group by grp");
    scope.member = "O'Neil";
    EXPECT_EQ(
        CStatisticsQuery::BuildStatement(kIncomeSource, StatisticsGrouping::ByCategory, scope, {}),
        "select coalesce(收入项目, '') as grp, count(*), sum(round(收入金额 * 100)), "
        "sum(收入金额 * 100 - round(收入金额 * 100)) from normalIncome where 收入日期 >= "
        "#2010-01-01# and 收入日期 < #2010-04-01# and 收入人员 = 'O''Neil' group by grp");
    // December rolls over; an empty span has no months.
    EXPECT_EQ(CStatisticsQuery::MonthBounds(COleDateTime(2010, 12, 5, 0, 0, 0),
                                            COleDateTime(2011, 1, 2, 0, 0, 0))
                  .size(),
              3u);
    EXPECT_TRUE(CStatisticsQuery::MonthBounds(scope.dtUpper, scope.dtLower).empty());
}

} // namespace
