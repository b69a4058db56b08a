#include "tests/search/SearchFixture.h"

namespace {

using Ids = std::vector<std::string>;

class SearchRecordsTest : public SearchFixture {
protected:
    SearchRecordsTest() {
        Add("收入", "爸爸", 2399, "2024-03-02 10:00:00", "工资", "云膳过桥米线");
        Add("支出", "妈妈", 28.16, "2024-03-15 12:00:00", "餐饮", "物业费 三月");
        Add("支出", "孩子", 100, "2024-04-01 09:00:00", "教育", "钢琴课 Piano");
        Add("支出", "爸爸", 12399, "2023-12-31 20:00:00", "住房", "100% 满意_好");
        Add("支出", "妈妈", 5, "2024-03-02 08:00:00", "其他支出", "他说\"好\"，it's ok");
        Add("收入", "妈妈", 0.5, "2024-05-05 07:00:00", "奖金", "a%b\\c");
    }
};

struct Case {
    const char* szText;
    Ids expected;
};

// Newest first; each answer the same with and without the index.
const Case kCases[] = {
    {"米", {"收入1"}},            // one Chinese character
    {"米线", {"收入1"}},          // two: too short for a trigram
    {"桥米线", {"收入1"}},        // three
    {"过桥米线 爸爸", {"收入1"}}, // several words narrow together
    {"桥米线 妈妈", {}},
    {"物业费", {"支出1"}},
    {"2399", {"收入1"}}, // the amount, not 12399 whose index text holds it
    {"2399.00", {"收入1"}},
    {"2,399", {"收入1"}},
    {"28.16", {"支出1"}},
    {"28.1", {}}, // an amount to the cent
    {"0.5", {"收入2"}},
    {"100", {"支出2", "支出3"}}, // the amount of one, the note of the other
    {"2024-03", {"支出1", "收入1", "支出4"}},
    {"2024-03-02", {"收入1", "支出4"}},
    {"2024-03 妈妈", {"支出1", "支出4"}},
    {"2024-02-30", {}},   // no date: a text nobody wrote
    {"piano", {"支出2"}}, // Latin letters in either case
    {"PIANO", {"支出2"}},
    {"100%", {"支出3"}}, // wildcards stand for themselves
    {"%", {"收入2", "支出3"}},
    {"_", {"支出3"}},
    {"满意_好", {"支出3"}},
    {"a%b", {"收入2"}},
    {"\\", {"收入2"}},
    {"b\\c", {"收入2"}},
    {"'", {"支出4"}}, // quotes too
    {"it's", {"支出4"}},
    {"\"好\"", {"支出4"}},
    {"\"", {"支出4"}},
    {"，", {"支出4"}},       // punctuation
    {"餐饮", {"支出1"}},     // the category
    {"孩子", {"支出2"}},     // the member
    {"　米线　", {"收入1"}}, // ideographic spaces around
    {"", {}},
};

TEST_F(SearchRecordsTest, FindsTheSameWithAndWithoutTheIndex) {
    std::vector<Ids> scanned;
    for (const Case& c : kCases) {
        scanned.push_back(Found(c.szText, false));
        EXPECT_EQ(scanned.back(), c.expected) << "without the index: " << c.szText;
    }
    ASSERT_TRUE(EnsureIndex());
    ASSERT_EQ(CSearchIndex::Inspect(m_connection), CSearchIndex::Ready);
    for (size_t i = 0; i < std::size(kCases); ++i)
        EXPECT_EQ(Found(kCases[i].szText, true), kCases[i].expected)
            << "with the index: " << kCases[i].szText;
}

TEST_F(SearchRecordsTest, APeriodNarrowsFurther) {
    const SearchSpan march{COleDateTime(2024, 3, 1, 0, 0, 0), COleDateTime(2024, 4, 1, 0, 0, 0)};
    EXPECT_EQ(Found("妈妈", false, march), (Ids{"支出1", "支出4"}));
    EXPECT_EQ(Found("", false, march), (Ids{"支出1", "收入1", "支出4"}));
    ASSERT_TRUE(EnsureIndex());
    EXPECT_EQ(Found("妈妈", true, march), (Ids{"支出1", "支出4"}));
}

TEST_F(SearchRecordsTest, AnAccountsNameFindsItsRecords) {
    m_db.Exec("INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) VALUES "
              "('招行储蓄卡', '储蓄卡', 0, '2024-01-01 00:00:00', 2, 0), "
              "('Alipay钱包', '支付宝', 0, '2024-01-01 00:00:00', 3, 0)");
    const std::string card = m_db.Scalar("select ID from accountList where 名称 = '招行储蓄卡'");
    const std::string alipay = m_db.Scalar("select ID from accountList where 名称 = 'Alipay钱包'");
    m_db.Exec("INSERT INTO accountLink (表, 编号, 账户) VALUES ('normalIncome', 1, " + card +
              "), ('normalPay', 2, " + card + "), ('normalPay', 1, " + alipay + ")");
    const Case cases[] = {
        {"招行", {"支出2", "收入1"}},
        {"招行储蓄卡", {"支出2", "收入1"}}, // long enough for the index, which lacks it
        {"alipay", {"支出1"}},
        {"钱包 餐饮", {"支出1"}},
        {"招行 钢琴课", {"支出2"}},
        {"招行 物业费", {}},
        {"物业费", {"支出1"}}, // no account named so: the note decides as before
    };
    for (const bool bIndex : {false, true}) {
        if (bIndex)
            ASSERT_TRUE(EnsureIndex());
        for (const Case& c : cases)
            EXPECT_EQ(Found(c.szText, bIndex), c.expected)
                << (bIndex ? "with" : "without") << " the index: " << c.szText;
    }
}

} // namespace
