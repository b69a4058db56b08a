#include "bills/BillRow.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// What a bill keeps outlives the texts it was made from, stays put while the bill is moved
// and more is kept, and is shared by copies, which may outlive the bill itself: rows view it.
TEST(BillFileTest, KeptTextsLastAsLongAsAnyCopyOfTheBill) {
    // Blocks fill, and a text longer than a block comes now and then.
    const std::vector<std::string> texts = {"云膳过桥米线(传奇广场店)", "", "2024000000000001", "余额",
                                            "a"};
    const std::string longer(70000, 'x');
    std::vector<std::string_view> kept;
    BillFile copy;
    {
        BillFile bill;
        for (int n = 0; n < 3000; ++n) {
            for (const std::string& text : texts)
                kept.push_back(bill.Keep(std::string(text))); // the source goes at once
            if (n % 1000 == 999) {
                EXPECT_EQ(bill.Keep(std::string(longer)), longer);
            }
        }
        BillFile moved = std::move(bill);
        kept.push_back(moved.Keep("最后"));
        copy = moved;
    }
    ASSERT_EQ(kept.size(), 3000 * texts.size() + 1);
    for (std::size_t n = 0; n + 1 < kept.size(); ++n)
        ASSERT_EQ(kept[n], texts[n % texts.size()]) << n;
    EXPECT_EQ(kept.back(), "最后");
    EXPECT_EQ(copy.Keep("后来"), "后来");
}

} // namespace
