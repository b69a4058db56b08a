#include "inquiry/InquiryQuery.h"

#include "data/FormatDateTime.h"
#include "inquiry/InquiryTwin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

COleDateTime Day(int y, int m, int d, int h = 0, int min = 0) { return COleDateTime(y, m, d, h, min, 0); }

std::string DayText(const COleDateTime& value) { return FormatDateTime(value, "%Y-%m-%d"); }

struct BoundsCase {
    const char* name;
    COleDateTime now;
    InquiryKind kind;
    const char* lower;
    const char* upper;
};

TEST(InquiryQuery, BoundsOfTheQuickRangesOverAYear) {
    const COleDateTime wednesday = Day(2010, 11, 17, 9, 30);
    const COleDateTime sunday = Day(2010, 11, 14, 23, 59);
    const COleDateTime saturday = Day(2010, 11, 20, 0, 0);
    const COleDateTime newYearsEve = Day(2010, 12, 31, 18, 0);
    const COleDateTime newYear = Day(2011, 1, 1, 8, 0); // a Saturday
    const COleDateTime leapDay = Day(2012, 2, 29, 12, 0);
    const BoundsCase cases[] = {
        {"wednesday today", wednesday, InquiryKind::Today, "2010-11-17", "2010-11-18"},
        {"wednesday week", wednesday, InquiryKind::ThisWeek, "2010-11-14", "2010-11-21"},
        {"wednesday month", wednesday, InquiryKind::ThisMonth, "2010-11-01", "2010-12-01"},
        {"wednesday year", wednesday, InquiryKind::ThisYear, "2010-01-01", "2011-01-01"},
        {"sunday today", sunday, InquiryKind::Today, "2010-11-14", "2010-11-15"},
        {"sunday week starts that day", sunday, InquiryKind::ThisWeek, "2010-11-14", "2010-11-21"},
        {"saturday week six days back", saturday, InquiryKind::ThisWeek, "2010-11-14", "2010-11-21"},
        {"saturday today", saturday, InquiryKind::Today, "2010-11-20", "2010-11-21"},
        {"31 december today", newYearsEve, InquiryKind::Today, "2010-12-31", "2011-01-01"},
        {"31 december week", newYearsEve, InquiryKind::ThisWeek, "2010-12-26", "2011-01-02"},
        {"december month", newYearsEve, InquiryKind::ThisMonth, "2010-12-01", "2011-01-01"},
        {"31 december year", newYearsEve, InquiryKind::ThisYear, "2010-01-01", "2011-01-01"},
        {"1 january today", newYear, InquiryKind::Today, "2011-01-01", "2011-01-02"},
        {"1 january week back into december", newYear, InquiryKind::ThisWeek, "2010-12-26", "2011-01-02"},
        {"1 january month", newYear, InquiryKind::ThisMonth, "2011-01-01", "2011-02-01"},
        {"1 january year", newYear, InquiryKind::ThisYear, "2011-01-01", "2012-01-01"},
        {"leap day today", leapDay, InquiryKind::Today, "2012-02-29", "2012-03-01"},
        {"leap day week", leapDay, InquiryKind::ThisWeek, "2012-02-26", "2012-03-04"},
        {"leap month", leapDay, InquiryKind::ThisMonth, "2012-02-01", "2012-03-01"},
        {"leap year", leapDay, InquiryKind::ThisYear, "2012-01-01", "2013-01-01"},
    };
    for (const BoundsCase& c : cases) {
        CInquiryQuery query(kIncomeInquiry, c.kind);
        // The pickers must not matter to the quick ranges.
        query.ComputeBounds(c.now, Day(2001, 5, 5), Day(2001, 6, 6));
        EXPECT_EQ(DayText(query.GetLower()), c.lower) << c.name;
        EXPECT_EQ(DayText(query.GetUpper()), c.upper) << c.name;
    }
}

TEST(InquiryQuery, QuickBoundsKeepOrDropTheTimeOfDay) {
    const COleDateTime now = Day(2010, 11, 17, 9, 30);
    CInquiryQuery today(kIncomeInquiry, InquiryKind::Today);
    today.ComputeBounds(now, now, now);
    EXPECT_EQ(FormatDateTime(today.GetUpper(), "%Y-%m-%d %H:%M"), "2010-11-18 09:30");
    CInquiryQuery month(kIncomeInquiry, InquiryKind::ThisMonth);
    month.ComputeBounds(now, now, now);
    EXPECT_EQ(FormatDateTime(month.GetLower(), "%Y-%m-%d %H:%M:%S"), "2010-11-01 00:00:00");
}

TEST(InquiryQuery, IntervalTakesInTheWholeOfTheLastDay) {
    const struct {
        COleDateTime from, to;
        const char *lower, *upper;
    } cases[] = {
        {Day(2010, 11, 1), Day(2010, 11, 17, 9, 30), "2010-11-01", "2010-11-18"},
        {Day(2012, 2, 1), Day(2012, 2, 28), "2012-02-01", "2012-02-29"},
        {Day(2010, 12, 1), Day(2010, 12, 31), "2010-12-01", "2011-01-01"},
        // 从 after 到 is passed on as it is; the engine then finds nothing.
        {Day(2010, 11, 20), Day(2010, 11, 10), "2010-11-20", "2010-11-11"},
    };
    for (const auto& c : cases) {
        CInquiryQuery query(kPayInquiry, InquiryKind::Interval);
        query.ComputeBounds(Day(2030, 1, 1), c.from, c.to);
        EXPECT_EQ(DayText(query.GetLower()), c.lower);
        EXPECT_EQ(DayText(query.GetUpper()), c.upper);
    }
}

TEST(InquiryQuery, StatementTextsOfBothTwins) {
    const COleDateTime now = Day(2010, 11, 17, 9, 30);
    const struct {
        const InquiryTwin* twin;
        InquiryKind kind;
        const char* statement;
    } cases[] = {
        {&kIncomeInquiry, InquiryKind::Today,
         "select * from normalIncome where 收入日期 > #2010-11-17# and 收入日期 < #2010-11-18#"},
        {&kIncomeInquiry, InquiryKind::ThisWeek,
         "select * from normalIncome where 收入日期 > #2010-11-14# and 收入日期 < #2010-11-21#"},
        {&kIncomeInquiry, InquiryKind::ThisMonth,
         "select * from normalIncome where 收入日期 > #2010-11-01# and 收入日期 < #2010-12-01#"},
        {&kIncomeInquiry, InquiryKind::ThisYear,
         "select * from normalIncome where 收入日期 > #2010-01-01# and 收入日期 < #2011-01-01#"},
        {&kIncomeInquiry, InquiryKind::Interval,
         "select * from normalIncome where 收入日期 > #2010-11-01# and 收入日期 <= #2010-11-18#"},
        {&kPayInquiry, InquiryKind::Today,
         "select * from normalPay where 支出日期 > #2010-11-17# and 支出日期 < #2010-11-18#"},
        {&kPayInquiry, InquiryKind::ThisYear,
         "select * from normalPay where 支出日期 > #2010-01-01# and 支出日期 < #2011-01-01#"},
        {&kPayInquiry, InquiryKind::Interval,
         "select * from normalPay where 支出日期 > #2010-11-01# and 支出日期 < #2010-11-18#"},
    };
    for (const auto& c : cases) {
        CInquiryQuery query(*c.twin, c.kind);
        query.ComputeBounds(now, Day(2010, 11, 1), Day(2010, 11, 17));
        EXPECT_EQ(query.BuildStatement({}), c.statement);
    }
}

TEST(InquiryQuery, ConditionsOnOffEmptyAndQuoted) {
    const std::string head =
        "select * from normalIncome where 收入日期 > #2010-11-17# and 收入日期 < #2010-11-18#";
    const struct {
        InquiryConditions conditions;
        std::string tail;
    } cases[] = {
        {{1, "爸爸", 0, "工资"}, " and 收入人员='爸爸'"},
        {{0, "爸爸", 1, "工资"}, " and 收入项目='工资'"},
        {{1, "爸爸", 1, "工资"}, " and 收入人员='爸爸' and 收入项目='工资'"},
        {{1, "", 1, ""}, ""},
        {{0, "爸爸", 0, "工资"}, ""},
        {{5, "typed name", 0, ""}, " and 收入人员='typed name'"},
        {{1, "O'Brien", 1, "it's'"}, " and 收入人员='O''Brien' and 收入项目='it''s'''"},
    };
    for (const auto& c : cases) {
        CInquiryQuery query(kIncomeInquiry, InquiryKind::Today);
        query.ComputeBounds(Day(2010, 11, 17, 9, 30), Day(2010, 11, 1), Day(2010, 11, 17));
        EXPECT_EQ(query.BuildStatement(c.conditions), head + c.tail);
    }
    CInquiryQuery pay(kPayInquiry, InquiryKind::Today);
    pay.ComputeBounds(Day(2010, 11, 17, 9, 30), Day(2010, 11, 1), Day(2010, 11, 17));
    EXPECT_EQ(pay.BuildStatement({1, "妈妈", 1, "餐饮"}),
              "select * from normalPay where 支出日期 > #2010-11-17# and 支出日期 < #2010-11-18#"
              " and 支出人员='妈妈' and 支出项目='餐饮'");
}

TEST(InquiryQuery, DateCellPatterns) {
    const InquiryKind kinds[] = {InquiryKind::Today, InquiryKind::ThisWeek, InquiryKind::ThisMonth,
                                 InquiryKind::ThisYear, InquiryKind::Interval};
    for (InquiryKind kind : kinds) {
        const bool year = kind == InquiryKind::ThisYear;
        EXPECT_STREQ(CInquiryQuery(kIncomeInquiry, kind).GetDatePattern(), "%Y-%m-%d %H时");
        EXPECT_STREQ(CInquiryQuery(kPayInquiry, kind).GetDatePattern(),
                     year ? "%Y-%m-%d %H时" : "%Y-%m-%d %H");
    }
}

} // namespace
