#include "platform/ado/JetSql.h"
#include "platform/ado/Variant.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using ado::JetSql;

TEST(JetSqlTest, DateLiteralsBecomeStoredDatesOutsideQuotesOnly) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"select * from normalIncome where 收入日期 > #2010-11-13# and 收入日期 < #2010-11-14#",
         "select * from normalIncome where 收入日期 > '2010-11-13 00:00:00' and 收入日期 < "
         "'2010-11-14 00:00:00'"},
        {"x <= #2010-1-3 7:05#", "x <= '2010-01-03 07:05:00'"},
        {"who = '#2010-11-13#'", "who = '#2010-11-13#'"},
        {"who = 'it''s #2010-11-13#' and d > #2010-11-13#",
         "who = 'it''s #2010-11-13#' and d > '2010-11-13 00:00:00'"},
        {"d > #not a date#", "d > #not a date#"},
        {"d > #2010-02-30#", "d > #2010-02-30#"},
        {"d > #2010-11-13", "d > #2010-11-13"},
        {"\"col#2010-11-13#\" = 1", "\"col#2010-11-13#\" = 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JetSql::TranslateDateLiterals(c.in), c.out) << c.in;
}

TEST(JetSqlTest, OnlyPlainSelectsGetTheRowId) {
    EXPECT_EQ(JetSql::WithRowId("  select * from t where a = 'group by'"),
              "  select rowid, * from t where a = 'group by'");
    EXPECT_EQ(JetSql::WithRowId("SELECT a FROM t"), "SELECT rowid, a FROM t");
    for (const char* text : {"select distinct a from t", "select a from t group by a",
                             "select a from t union select a from u", "delete from t",
                             "select a from t join u", "selectx from t"})
        EXPECT_FALSE(JetSql::WithRowId(text)) << text;
}

TEST(JetSqlTest, BareNamesAndIdentifiers) {
    EXPECT_TRUE(JetSql::IsBareName("家庭成员"));
    EXPECT_TRUE(JetSql::IsBareName("normal_Income2"));
    EXPECT_FALSE(JetSql::IsBareName(""));
    EXPECT_FALSE(JetSql::IsBareName("select * from t"));
    EXPECT_FALSE(JetSql::IsBareName("t;"));
    EXPECT_EQ(JetSql::QuoteIdentifier("a\"b"), "\"a\"\"b\"");
    EXPECT_TRUE(JetSql::IsEndOfText(" ;\n"));
    EXPECT_FALSE(JetSql::IsEndOfText("; drop table t"));
}

TEST(DecimalValueTest, KeepsTheDecimalDigitsOfADouble) {
    const struct {
        double value;
        std::uint64_t mantissa;
        int scale;
        int sign;
    } cases[] = {
        {12.34, 1234, 2, 0}, {-12.34, 1234, 2, 0x80}, {0.0, 0, 0, 0},
        {0.001, 1, 3, 0},    {100.0, 100, 0, 0},      {1234.5678, 12345678, 4, 0},
    };
    for (const auto& c : cases) {
        const ado::DecimalValue d = ado::DecimalValue::FromDouble(c.value);
        EXPECT_DOUBLE_EQ(d.ToDouble(), c.value);
        EXPECT_EQ(d.lo64, c.mantissa) << c.value;
        EXPECT_EQ(d.scale, c.scale) << c.value;
        EXPECT_EQ(d.sign, c.sign) << c.value;
    }
    // Beyond 64 bits the mantissa spills into the high part.
    const ado::DecimalValue big = ado::DecimalValue::FromDouble(1e20);
    EXPECT_NE(big.hi32, 0u);
    EXPECT_DOUBLE_EQ(big.ToDouble(), 1e20);
    // Below the 28th decimal place nothing is left, rather than a digit moved up to it.
    EXPECT_EQ(ado::DecimalValue::FromDouble(1e-40).ToDouble(), 0.0);
    EXPECT_EQ(ado::DecimalValue::FromDouble(-3e-35).ToDouble(), 0.0);
    EXPECT_TRUE(ado::DecimalValue::Fits(-7.9e28));
    EXPECT_FALSE(ado::DecimalValue::Fits(8e28));
    EXPECT_FALSE(ado::DecimalValue::Fits(std::numeric_limits<double>::infinity()));
}

} // namespace
