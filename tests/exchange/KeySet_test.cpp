#include "exchange/KeySet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(KeySetTest, KeysAreTheirExactBytes) {
    CKeySet keys;
    const std::string cases[] = {
        ""s, "a"s, "a\0"s, "\0a"s, "ab"s, "ba"s, "爸爸"s, "爸爸 "s, std::string(300, 'x'),
    };
    for (const std::string& key : cases) {
        EXPECT_FALSE(keys.Contains(key));
        EXPECT_TRUE(keys.Insert(key));
        EXPECT_FALSE(keys.Insert(key)) << "a second time";
    }
    EXPECT_EQ(keys.Size(), std::size(cases));
    for (const std::string& key : cases)
        EXPECT_TRUE(keys.Contains(key));
    EXPECT_FALSE(keys.Contains("b"));
    EXPECT_FALSE(keys.Contains(std::string(299, 'x')));
}

TEST(KeySetTest, EveryKeyIsFoundAfterTheTableGrowsOrIsReserved) {
    constexpr int kKeys = 50000;
    // Room made never, before the first key, and with half the keys in.
    for (const int reserveAt : {-1, 0, kKeys / 2}) {
        CKeySet keys;
        for (int i = 0; i < kKeys; ++i) {
            if (i == reserveAt)
                keys.Reserve(kKeys);
            ASSERT_TRUE(keys.Insert("key " + std::to_string(i))) << reserveAt;
        }
        EXPECT_EQ(keys.Size(), static_cast<size_t>(kKeys));
        int found = 0, strangers = 0;
        for (int i = 0; i < kKeys; ++i) {
            found += keys.Contains("key " + std::to_string(i));
            strangers += keys.Contains("key " + std::to_string(kKeys + i));
        }
        EXPECT_EQ(found, kKeys) << reserveAt;
        EXPECT_EQ(strangers, 0) << reserveAt;
    }
}

} // namespace
