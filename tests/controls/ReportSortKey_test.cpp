#include "controls/ReportSortKey.h"
#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(ReportSortKey, NumberRule) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"12", true},     {"-12", true},   {"+5", true},    {"1+2", true},  {"12.5", true},
        {"-3.25", true},  {"1500.0", true}, {"+", true},    {"-", false},   {"", false},
        {"1.2.3", false}, {"1-2", false},  {"--1", false},  {"1e5", false}, {"12 ", false},
        {"a1", false},    {"一", false},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(CReportSortKey::IsNumberText(text), number) << '"' << text << '"';
}

TEST(ReportSortKey, NumberValueIsTheDecimalPrefix) {
    EXPECT_DOUBLE_EQ(CReportSortKey::NumberValue("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(CReportSortKey::NumberValue("1+2"), 1.0);
    EXPECT_DOUBLE_EQ(CReportSortKey::NumberValue("+5"), 5.0);
    EXPECT_DOUBLE_EQ(CReportSortKey::NumberValue("2010-11-17"), 2010.0);
    EXPECT_DOUBLE_EQ(CReportSortKey::NumberValue("工资"), 0.0);
}

TEST(ReportSortKey, NumberValueIgnoresTheUserLocale) {
    // A locale with a decimal comma must not change how "12.5" reads.
    std::string why;
    const std::string comma = testing_support::CommaLocale(why);
    if (comma.empty())
        GTEST_SKIP() << why;
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, comma.c_str()), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const double value = CReportSortKey::NumberValue("12.5");
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_DOUBLE_EQ(value, 12.5);
}

TEST(ReportSortKey, KindIsChosenFromTheFirstText) {
    const CReportSortKey number("12");
    const CReportSortKey date("2010-11-17 09时");
    const CReportSortKey text("abc");
    // A number first compares numerically: "2010-11-17 09时" reads as 2010.
    EXPECT_LT(CReportSortKey::Compare(number, date, true), 0);
    // A date first with a text second falls back to text: '2' before 'a'.
    EXPECT_LT(CReportSortKey::Compare(date, text, true), 0);
    // Descending exchanges the texts but keeps the kind from the first.
    EXPECT_GT(CReportSortKey::Compare(number, date, false), 0);
    EXPECT_EQ(CReportSortKey::Compare(CReportSortKey(" 12 "), number, true), 0);
    EXPECT_LT(CReportSortKey::Compare(CReportSortKey(""), CReportSortKey("0"), true), 0);
    EXPECT_GT(CReportSortKey::Compare(CReportSortKey(""), CReportSortKey("0"), false), 0);
}

TEST(ReportSortKey, CollationIsGb18030) {
    EXPECT_EQ(CReportSortKey::ToGb18030("阿"), "\xB0\xA2");
    EXPECT_EQ(CReportSortKey::ToGb18030("abc"), "abc");
    EXPECT_EQ(CReportSortKey::ToGb18030("\xFF\xFE"), "\xFF\xFE"); // not UTF-8: kept
}
