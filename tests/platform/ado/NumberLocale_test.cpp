// Under a "Formats" region with a decimal comma (LC_ALL=de_DE.UTF-8), numbers still cross
// between text and value with a point: a server ledger's backup stored 10.25 as 10, and
// adding 12.5 sent the server "12,5".
#include "platform/ado/ValueCodec.h"
#include "platform/ado/Variant.h"
#include "platform/ado/pg/PgValues.h"
#include "platform/ole/PointNumber.h"
#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <utility>

namespace {

using ado::Variant;
using ado::VarKind;

class NumberLocaleTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        const std::string comma = testing_support::CommaLocale(why);
        if (comma.empty())
            GTEST_SKIP() << why;
        m_strPrevious = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, comma.c_str()), nullptr);
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override {
        if (!m_strPrevious.empty())
            std::setlocale(LC_ALL, m_strPrevious.c_str());
    }

    std::string m_strPrevious;
};

TEST_F(NumberLocaleTest, TextsAndValuesKeepTheirPoint) {
    const std::pair<const char*, double> cases[] = {
        {"10.25", 10.25}, {"99.99", 99.99}, {"-0.5", -0.5}, {"1e+20", 1e20}, {"12", 12}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ole::PointNumber::Parse(text), value) << text;
        EXPECT_EQ(ado::ValueCodec::Number(Variant::Text(text)), value) << text;
    }
    EXPECT_EQ(ole::PointNumber::Format(10.25, std::chars_format::general, 17), "10.25");
    EXPECT_EQ(ole::PointNumber::Format(0.5, std::chars_format::fixed, 6), "0.500000");
    EXPECT_EQ(ado::ValueCodec::Text(Variant::Real(VarKind::R8, 12.5)), "12.5");
    // What the server is sent for an amount.
    EXPECT_EQ(ado::PgValues::TextOf(Variant::Real(VarKind::R8, 12.5)).value_or(""), "12.5");
    EXPECT_EQ(ado::DecimalValue::FromDouble(99.99).ToDouble(), 99.99);
}

} // namespace
