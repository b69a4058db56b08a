#include "inquiry/RecordNumberSet.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Kept as bits or in the hash set, a number is in the set exactly when it was given.
TEST(RecordNumberSet, FindsExactlyTheGivenNumbersHoweverTheyAreKept) {
    const std::int64_t huge = std::int64_t{1} << 40;
    const struct {
        const char* name;
        std::unordered_set<std::int64_t> numbers;
    } cases[] = {{"none", {}}, {"small", {0, 7, 200}}, {"huge", {3, huge}}, {"negative", {-5, 9}}};
    for (const auto& c : cases) {
        const CRecordNumberSet set(c.numbers);
        EXPECT_EQ(set.Empty(), c.numbers.empty()) << c.name;
        for (const std::int64_t n :
             {std::int64_t{-5}, std::int64_t{0}, std::int64_t{3}, std::int64_t{7}, std::int64_t{9},
              std::int64_t{200}, std::int64_t{201}, huge - 1, huge})
            EXPECT_EQ(set.Contains(n), c.numbers.contains(n)) << c.name << " " << n;
    }
}

} // namespace
