#include "data/SqlText.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlTextTest, QuotesAndRecordNumbers) {
    EXPECT_EQ(QuoteSql("O'Brien's"), "O''Brien''s");
    EXPECT_EQ(QuoteSql("爸爸"), "爸爸");
    EXPECT_EQ(QuoteSql("''"), "''''");
    EXPECT_EQ(QuoteIdentifier("家庭成员"), "\"家庭成员\"");
    EXPECT_EQ(QuoteIdentifier("a\"b"), "\"a\"\"b\"");
    const struct {
        const char* text;
        bool number;
    } cases[] = {{"1", true},    {"0012", true},    {"", false},   {"1 ", false},   {"-1", false},
                 {"1e3", false}, {"1;drop", false}, {"１", false}, {"12.0", false}, {"+1", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsRecordNumber(c.text), c.number) << c.text;
}

} // namespace
