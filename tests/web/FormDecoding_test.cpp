#include "web/FormDecoding.h"
#include "web/PrivateAddress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FormCase {
    const char* body;
    bool ok;
    web::Fields fields;
};

class DecodeFormTest : public ::testing::TestWithParam<FormCase> {};

TEST_P(DecodeFormTest, DecodesOrRefuses) {
    web::Fields fields;
    EXPECT_EQ(web::DecodeForm(GetParam().body, fields), GetParam().ok) << GetParam().body;
    if (GetParam().ok) {
        EXPECT_EQ(fields, GetParam().fields);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DecodeFormTest,
    ::testing::Values(
        FormCase{"", true, {}},
        FormCase{"amount=12.50&note=%E5%8D%88%E9%A5%AD+x", true, {{"amount", "12.50"}, {"note", "午饭 x"}}},
        FormCase{"a=&b", true, {{"a", ""}, {"b", ""}}},
        FormCase{"a=1&&b=2&", true, {{"a", "1"}, {"b", "2"}}},
        FormCase{"note=line%0Aline", true, {{"note", "line\nline"}}},
        FormCase{"a=%4", false, {}},            // an escape cut short
        FormCase{"a=%zz", false, {}},           // not hexadecimal
        FormCase{"a=%00", false, {}},           // a NUL byte
        FormCase{"a=%1B", false, {}},           // a control character
        FormCase{"a=%C3%28", false, {}},        // not UTF-8
        FormCase{"a=%ED%A0%80", false, {}},     // a surrogate
        FormCase{"a=%C0%AF", false, {}},        // an overlong form
        FormCase{"a=1&a=2", false, {}},         // the same field twice
        FormCase{"=1", false, {}},              // a field without a name
        FormCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa=1", false, {}})); // a name over 32 bytes

TEST(DecodeFormLimitsTest, ValuesAndFieldCountsAreBounded) {
    web::Fields fields;
    EXPECT_TRUE(web::DecodeForm("a=" + std::string(web::kMaxValueBytes, 'x'), fields));
    EXPECT_FALSE(web::DecodeForm("a=" + std::string(web::kMaxValueBytes + 1, 'x'), fields));
    std::string many;
    for (std::size_t i = 0; i <= web::kMaxFields; ++i)
        many += "f" + std::to_string(i) + "=1&";
    EXPECT_FALSE(web::DecodeForm(many, fields));
}

TEST(DecodeCookiesTest, TakesWellFormedPairsAndTheFirstOfAName) {
    const web::Fields cookies =
        web::DecodeCookies(" a=1; broken; =x; b = two ;a=3; __Host-s=tok-en_");
    EXPECT_EQ(cookies, (web::Fields{{"a", "1"}, {"b", "two"}, {"__Host-s", "tok-en_"}}));
}

struct AmountCase {
    const char* text;
    web::AmountText result;
    std::int64_t cents;
};

class ParseAmountTest : public ::testing::TestWithParam<AmountCase> {};

TEST_P(ParseAmountTest, ReadsYuanAndCents) {
    std::int64_t cents = -1;
    EXPECT_EQ(web::ParseAmount(GetParam().text, cents), GetParam().result) << GetParam().text;
    if (GetParam().result == web::AmountText::Ok) {
        EXPECT_EQ(cents, GetParam().cents);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, ParseAmountTest,
    ::testing::Values(AmountCase{"12", web::AmountText::Ok, 1200},
                      AmountCase{" 12.5 ", web::AmountText::Ok, 1250},
                      AmountCase{"0.05", web::AmountText::Ok, 5},
                      AmountCase{".5", web::AmountText::Ok, 50},
                      AmountCase{"7.", web::AmountText::Ok, 700},
                      AmountCase{"0", web::AmountText::Ok, 0},
                      AmountCase{"999999999.99", web::AmountText::Ok, 99999999999},
                      AmountCase{"", web::AmountText::Empty, 0},
                      AmountCase{"  ", web::AmountText::Empty, 0},
                      AmountCase{".", web::AmountText::NotNumber, 0},
                      AmountCase{"1.234", web::AmountText::NotNumber, 0},
                      AmountCase{"-5", web::AmountText::NotNumber, 0},
                      AmountCase{"1e3", web::AmountText::NotNumber, 0},
                      AmountCase{"1,5", web::AmountText::NotNumber, 0},
                      AmountCase{"1000000000", web::AmountText::NotNumber, 0},
                      AmountCase{"12.3.4", web::AmountText::NotNumber, 0}));

TEST(ParseDateTimeTest, TakesWhatADateTimeBoxSendsAndRealDatesOnly) {
    web::LocalDateTime when;
    ASSERT_TRUE(web::ParseDateTime("2026-12-07T18:05", when));
    EXPECT_EQ((std::vector<int>{when.nYear, when.nMonth, when.nDay, when.nHour, when.nMinute, when.nSecond}),
              (std::vector<int>{2026, 12, 7, 18, 5, 0}));
    ASSERT_TRUE(web::ParseDateTime("2024-02-29T00:00:59", when));
    EXPECT_EQ(when.nSecond, 59);
    for (const char* bad : {"2023-02-29T10:00", "2026-13-01T10:00", "2026-04-31T10:00",
                            "2026-12-07 18:05", "2026-12-07T24:00", "2026-12-07T18:60",
                            "2026-12-07T18:05:5", "+026-12-07T18:05", "2026-12-07"})
        EXPECT_FALSE(web::ParseDateTime(bad, when)) << bad;
}

TEST(SubmissionIdTest, IsLongAndPlain) {
    EXPECT_TRUE(web::IsSubmissionId("0f8fad5b-d9cb-469f-a165-70867728950e"));
    EXPECT_TRUE(web::IsSubmissionId("abcdefghijklmnop_-"));
    EXPECT_FALSE(web::IsSubmissionId("short"));
    EXPECT_FALSE(web::IsSubmissionId("0f8fad5b d9cb 469f a165"));
    EXPECT_FALSE(web::IsSubmissionId("0f8fad5b'; drop table--"));
    EXPECT_FALSE(web::IsSubmissionId(std::string(65, 'a')));
}

TEST(PrivateAddressTest, OnlyTheHomeNetworkCounts) {
    for (const char* home : {"127.0.0.1", "127.8.9.10", "10.0.0.7", "172.16.0.1", "172.31.255.254",
                             "192.168.1.5", "::1", "fe80::1", "fd12:3456::1", "::ffff:192.168.0.2"})
        EXPECT_TRUE(CPrivateAddress::IsPrivate(QHostAddress(QString::fromLatin1(home)))) << home;
    for (const char* away : {"8.8.8.8", "172.15.0.1", "172.32.0.1", "192.169.0.1", "100.64.0.1",
                             "2001:db8::1", "::ffff:8.8.8.8", "0.0.0.0"})
        EXPECT_FALSE(CPrivateAddress::IsPrivate(QHostAddress(QString::fromLatin1(away)))) << away;
}

} // namespace
