#include "exchange/RecordText.h"

#include "data/FormatDateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Plain decimals to the cent, never an exponent ("1e+05" was refused by the import).
TEST(RecordTextTest, AmountsAreWrittenInPlainDecimalsAndReadBackTheSame) {
    const struct {
        double amount;
        const char* text;
    } cases[] = {
        {1234.56, "1234.56"}, {12, "12"},           {0.1, "0.1"},
        {-12.5, "-12.5"},     {3.14, "3.14"},       {1e9 + 0.01, "1000000000.01"},
        {99.96, "99.96"},     {-0.07, "-0.07"},     {100000, "100000"},
        {300000, "300000"},   {1000000, "1000000"}, {1e12, "1000000000000"},
        {0.01, "0.01"},       {120000.5, "120000.5"}, {9999999999999.99, "9999999999999.99"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatAmount(c.amount), c.text);
        double back = 0;
        EXPECT_EQ(ParseAmount(FormatAmount(c.amount), back), "") << c.text;
        EXPECT_EQ(back, c.amount) << c.text; // to the last bit
    }
    // An older ledger's amount below the cent goes out rounded to the cent.
    EXPECT_EQ(FormatAmount(1.0 / 3), "0.33");
    EXPECT_EQ(FormatAmount(-0.001), "0");
    EXPECT_EQ(FormatCents(8), "8.00");
    EXPECT_EQ(FormatCents(23.5), "23.50");
}

TEST(RecordTextTest, AmountTexts) {
    const struct {
        const char* text;
        double amount; // 0: refused
        const char* reason;
    } cases[] = {
        {"1234.56", 1234.56, ""},
        {"1,234.56", 1234.56, ""},
        {"12,345,678", 12345678, ""},
        {"¥1234.56", 1234.56, ""},
        {"￥88", 88, ""},
        {"-12.5", -12.5, ""},
        {"-¥12.5", -12.5, ""},
        {"¥-12.5", -12.5, ""},
        {"+7", 7, ""},
        {" 42 ", 42, ""},
        {".5", 0.5, ""},
        {"", 0, "金额为空"},
        {"   ", 0, "金额为空"},
        {"0", 0, "金额不能为0"},
        {"-0.00", 0, "金额不能为0"},
        {"abc", 0, "金额不是数字"},
        {"12元", 0, "金额不是数字"},
        {"1.2.3", 0, "金额不是数字"},
        {"1e5", 0, "金额不是数字"},
        {"12.", 0, "金额格式不对"},
        {"1,23", 0, "金额格式不对"},
        {"1,2345", 0, "金额格式不对"},
        {",123", 0, "金额格式不对"},
        {"1,,234", 0, "金额格式不对"},
        {"¥", 0, "金额不是数字"},
        {"--5", 0, "金额不是数字"},
        {"1 234", 0, "金额不是数字"},
        {"NaN", 0, "金额不是数字"},
        {"inf", 0, "金额不是数字"},
        // What the amount box takes: cents at most, and amounts it keeps to the cent.
        {"0.005", 0, "金额最多两位小数"},
        {"12.345", 0, "金额最多两位小数"},
        {"12.500", 12.5, ""},
        {"9999999999999.99", 9999999999999.99, ""},
        {"10000000000000", 0, "金额太大"},
        {"100000000000000000000000", 0, "金额太大"},
        {"-100000000000000000000000", 0, "金额太大"},
    };
    for (const auto& c : cases) {
        double amount = -999;
        EXPECT_EQ(ParseAmount(c.text, amount), c.reason) << c.text;
        if (c.amount != 0)
            EXPECT_DOUBLE_EQ(amount, c.amount) << c.text;
        else
            EXPECT_EQ(amount, -999) << c.text; // never a guessed value
    }
}

TEST(RecordTextTest, DateTexts) {
    const struct {
        const char* text;
        const char* stored; // nullptr: refused
        const char* reason;
    } cases[] = {
        {"2010-11-17", "2010-11-17 00:00:00", ""},
        {"2010/11/17", "2010-11-17 00:00:00", ""},
        {"2010/1/5", "2010-01-05 00:00:00", ""},
        {"2010-11-17 09:30", "2010-11-17 09:30:00", ""},
        {"2010-11-17 09:30:59", "2010-11-17 09:30:59", ""},
        {"2010/11/17 9:05", "2010-11-17 09:05:00", ""},
        {"2010-11-17T23:59:59", "2010-11-17 23:59:59", ""},
        {"2010年11月17日", "2010-11-17 00:00:00", ""},
        {"2010年1月5日 08:00", "2010-01-05 08:00:00", ""},
        {" 2024-02-29 ", "2024-02-29 00:00:00", ""},
        {"", nullptr, "日期为空"},
        {"2023-02-29", nullptr, "日期不存在"},
        {"2010-13-01", nullptr, "日期不存在"},
        {"2010-00-10", nullptr, "日期不存在"},
        {"2010-11-31", nullptr, "日期不存在"},
        {"2010-11-17 24:00", nullptr, "时间不存在"},
        {"2010-11-17 12:60", nullptr, "时间不存在"},
        {"2010-11-17 12", nullptr, "时间格式不对"},
        {"2010-11-17 12:00:00.5", nullptr, "时间格式不对"},
        {"2010-11/17", nullptr, "日期格式不对"},
        {"17/11/2010", nullptr, "日期格式不对"},
        {"11/17/2010", nullptr, "日期格式不对"},
        {"2010年11月17", nullptr, "日期格式不对"},
        {"20101117", nullptr, "日期格式不对"},
        {"昨天", nullptr, "日期格式不对"},
        {"2010-11-17x", nullptr, "日期格式不对"},
    };
    for (const auto& c : cases) {
        COleDateTime date;
        date.SetStatus(COleDateTime::null);
        EXPECT_EQ(ParseRecordDate(c.text, date), c.reason) << c.text;
        if (c.stored != nullptr)
            EXPECT_EQ(FormatRecordDate(date), c.stored) << c.text;
        else
            EXPECT_EQ(date.GetStatus(), COleDateTime::null) << c.text;
    }
}

} // namespace
