#include "data/FieldConversion.h"
#include "data/FormatDateTime.h"
#include "data/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

using ado::Variant;
using ado::VarKind;

const double kNovember13 = 40495.0 + (7 * 3600 + 17 * 60 + 7) / 86400.0; // 2010-11-13 07:17:07

ado::DecimalValue Decimal(std::uint64_t mantissa, int scale, bool negative) {
    ado::DecimalValue d;
    d.lo64 = mantissa;
    d.scale = static_cast<std::uint8_t>(scale);
    d.sign = negative ? 0x80 : 0;
    return d;
}

TEST(FieldConversionTest, ReadsAsText) {
    const struct {
        Variant value;
        const char* pattern;
        const char* text;
    } cases[] = {
        {Variant(), "", ""},
        {Variant::Null(), "", ""},
        {Variant::Integer(VarKind::I4, -5), "", "-5"},
        {Variant::Integer(VarKind::I2, -5), "", "-5"},
        {Variant::Integer(VarKind::UI1, 200), "", "200"},
        {Variant::Integer(VarKind::Int, 123456), "", "123456"},
        {Variant::Integer(VarKind::UI4, 4294967295LL), "", "4294967295"},
        {Variant::Bool(true), "", "T"},
        {Variant::Bool(false), "", "F"},
        {Variant::Integer(VarKind::Bool, 1), "", "F"},
        {Variant::Date(kNovember13), "", "2010-11-13 07:17:07"},
        {Variant::Date(kNovember13), "%Y-%m-%d %H时", "2010-11-13 07时"},
        {Variant::Date(kNovember13), "%Y-%m-%d", "2010-11-13"},
        {Variant::Text("爸爸"), "", "爸爸"},
        {Variant::Real(VarKind::R8, 12.5), "", "12.5"},
        {Variant::Real(VarKind::R8, 100.0), "", "100."},
        {Variant::Real(VarKind::R4, static_cast<float>(12.34)), "", "12.34000015"},
        {Variant::Decimal(Decimal(1234, 2, false)), "", "12.339999999999999858"},
    };
    for (const auto& c : cases) {
        std::string text = "previous";
        EXPECT_TRUE(FieldConversion::ToText(c.value, c.pattern, text));
        EXPECT_EQ(text, c.text) << static_cast<int>(c.value.Kind());
    }
    std::string untouched = "previous";
    EXPECT_FALSE(FieldConversion::ToText(Variant::Binary("\x01\x02"), "", untouched));
    EXPECT_EQ(untouched, "previous");
}

// A value read as a number is exactly the one whose text ToText writes as that number, so a
// listing may keep numbers in place of texts; every other kind gives no number.
TEST(FieldConversionTest, ReadsAsIntegerWhereTheTextIsThePlainNumber) {
    const Variant values[] = {Variant(),
                              Variant::Null(),
                              Variant::Integer(VarKind::I4, -5),
                              Variant::Integer(VarKind::I2, 7),
                              Variant::Integer(VarKind::UI1, 200),
                              Variant::Integer(VarKind::Int, 9007199254740993LL),
                              Variant::Integer(VarKind::UI4, 4294967295LL),
                              Variant::Bool(true),
                              Variant::Date(kNovember13),
                              Variant::Text("42"),
                              Variant::Real(VarKind::R8, 12.0),
                              Variant::Binary("\x01"),
                              Variant::Integer(VarKind::Currency, 10000)};
    int numbers = 0;
    for (const Variant& value : values) {
        std::int64_t number = -1;
        std::string text;
        if (FieldConversion::ToInteger(value, number)) {
            ++numbers;
            ASSERT_TRUE(FieldConversion::ToText(value, "", text));
            EXPECT_EQ(text, std::to_string(number)) << static_cast<int>(value.Kind());
        } else {
            EXPECT_EQ(number, -1) << static_cast<int>(value.Kind());
        }
    }
    EXPECT_EQ(numbers, 4); // I4, I2, UI1 and Int
}

TEST(FieldConversionTest, CurrencyFallsBackToThePlainNumberWithoutAMonetaryLocale) {
    std::setlocale(LC_MONETARY, "C");
    std::string text;
    EXPECT_TRUE(FieldConversion::ToText(Variant::Currency(123400), "", text));
    EXPECT_EQ(text, "12.340000");
}

TEST(FieldConversionTest, ReadsAsNumber) {
    const struct {
        Variant value;
        double number;
    } cases[] = {
        {Variant(), 0.0},
        {Variant::Null(), 0.0},
        {Variant::Integer(VarKind::I2, -5), -5.0},
        {Variant::Integer(VarKind::I4, 70000), 70000.0},
        {Variant::Integer(VarKind::UI1, 255), 255.0},
        {Variant::Real(VarKind::R8, 1234.5), 1234.5},
        {Variant::Currency(123456), 12.3456},
        {Variant::Text("12"), 0.0},
        {Variant::Bool(true), 0.0},
        {Variant::Date(kNovember13), 0.0},
        {Variant::Decimal(Decimal(1234, 2, true)), -12.34},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(FieldConversion::ToDouble(c.value), c.number, 1e-6)
            << static_cast<int>(c.value.Kind());
    // The whole mantissa counts, not only its low 32 bits.
    EXPECT_DOUBLE_EQ(FieldConversion::ToDouble(Variant::Decimal(Decimal(0x100000005ULL, 0, false))),
                     4294967301.0);
    EXPECT_DOUBLE_EQ(
        FieldConversion::ToDouble(Variant::Decimal(Decimal(12345678901234ULL, 2, true))),
        -123456789012.34);
    ado::DecimalValue wide = Decimal(0, 0, false);
    wide.hi32 = 1;
    EXPECT_DOUBLE_EQ(FieldConversion::ToDouble(Variant::Decimal(wide)), 18446744073709551616.0);
    std::string text;
    EXPECT_TRUE(
        FieldConversion::ToText(Variant::Decimal(Decimal(500000000000ULL, 2, false)), "", text));
    EXPECT_EQ(text, "5000000000.");
}

TEST(FieldConversionTest, ReadsAsDateTime) {
    COleDateTime date(2001, 2, 3, 4, 5, 6);
    const double before = date.m_dt;
    EXPECT_TRUE(FieldConversion::ToDateTime(Variant::Null(), date));
    EXPECT_EQ(date.GetStatus(), COleDateTime::null);
    EXPECT_EQ(date.m_dt, before);
    EXPECT_EQ(FormatDateTime(date, "%Y"), "");

    EXPECT_TRUE(FieldConversion::ToDateTime(Variant::Date(kNovember13), date));
    EXPECT_EQ(date.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(FormatDateTime(date, "%Y-%m-%d %H:%M:%S"), "2010-11-13 07:17:07");

    EXPECT_FALSE(FieldConversion::ToDateTime(Variant::Text("2010-11-13"), date));
    EXPECT_EQ(date.m_dt, kNovember13);
}

TEST(FieldConversionTest, WritesEmptyTextAsNullAndDatesWhateverTheirStatus) {
    EXPECT_EQ(FieldConversion::FromText("").Kind(), VarKind::Null);
    EXPECT_EQ(FieldConversion::FromText("a").TextValue(), "a");
    COleDateTime date(2010, 11, 13, 0, 0, 0);
    date.SetStatus(COleDateTime::null);
    const Variant written = FieldConversion::FromDateTime(date);
    EXPECT_EQ(written.Kind(), VarKind::Date);
    EXPECT_EQ(written.RealValue(), date.m_dt);
}

TEST(NumberTextTest, GcvtLikeTheRuntime) {
    const struct {
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {12.34, 20, "12.339999999999999858"},
        {100.0, 20, "100."},
        {-0.5, 20, "-0.5"},
        {0.0, 20, "0."},
        {1.5e20, 20, "1.5e+020"},
        {1.5e19, 20, "15000000000000000000."},
        {0.012, 10, "1.2e-002"},
        {0.12, 10, "0.12"},
        {-1234567890.123, 12, "-1234567890.12"},
        {-123456789012.3, 12, "-123456789012."},
        {-1234567890123.0, 12, "-1.23456789012e+012"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText::Gcvt(c.value, c.digits), c.text) << c.value;
    EXPECT_EQ(NumberText::Itoa(-5), "-5");
    EXPECT_EQ(NumberText::Ultoa(4294967295u), "4294967295");
}

TEST(FormatDateTimeTest, StatusAndPatterns) {
    COleDateTime date(2010, 11, 13, 7, 17, 7);
    EXPECT_EQ(FormatDateTime(date, "%Y-%m-%d %H时"), "2010-11-13 07时");
    EXPECT_EQ(FormatDateTime(date, "%Y-%m-%d %H"), "2010-11-13 07");
    EXPECT_EQ(FormatDateTime(date, "%j %w"), "317 6");
    EXPECT_EQ(FormatDateTime(COleDateTime(1899, 12, 29, 6, 0, 0), "%Y-%m-%d %H:%M"),
              "1899-12-29 06:00");
    date.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(FormatDateTime(date, "%Y"), "Invalid DateTime");
    date.SetStatus(COleDateTime::null);
    EXPECT_EQ(FormatDateTime(date, "%Y"), "");
    COleDateTime outOfRange;
    outOfRange.m_dt = 3e6;
    EXPECT_EQ(FormatDateTime(outOfRange, "%Y"), "Invalid DateTime");
}

} // namespace
