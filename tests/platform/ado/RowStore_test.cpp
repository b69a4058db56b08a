#include "platform/ado/RowStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ado::RowStore;
using ado::Variant;
using ado::VarKind;

TEST(RowStoreTest, KeepsValuesAcrossBlockBoundaries) {
    RowStore rows(3);
    const std::string big(100 * 1024, 'x'); // larger than a text block
    const int count = 10000;                // 30,000 cells: several cell blocks
    for (int i = 0; i < count; ++i) {
        rows.AppendRow(i + 1);
        rows.PushInteger(VarKind::I4, -i);
        rows.PushText(VarKind::Text, i == 5000 ? big : "行" + std::to_string(i));
        if (i % 2)
            rows.PushNull();
        else
            rows.PushReal(VarKind::Date, i + 0.25);
    }
    ASSERT_EQ(rows.Rows(), static_cast<size_t>(count));
    for (int i = 0; i < count; i += 997) {
        EXPECT_EQ(rows.RowId(static_cast<size_t>(i)), i + 1);
        EXPECT_EQ(rows.Get(static_cast<size_t>(i), 0).IntegerValue(), -i);
        EXPECT_EQ(rows.Get(static_cast<size_t>(i), 1).TextValue(), "行" + std::to_string(i));
        const Variant third = rows.Get(static_cast<size_t>(i), 2);
        EXPECT_EQ(third.Kind(), i % 2 ? VarKind::Null : VarKind::Date);
    }
    EXPECT_EQ(rows.Get(5000, 1).TextValue(), big);
    EXPECT_EQ(rows.Get(5001, 1).TextValue(), "行5001");

    rows.Set(7, 1, Variant::Text(std::string("changed")));
    rows.Set(7, 0, Variant::Null());
    EXPECT_EQ(rows.Get(7, 1).TextValue(), "changed");
    EXPECT_EQ(rows.Get(7, 0).Kind(), VarKind::Null);
    EXPECT_EQ(rows.Get(8, 1).TextValue(), "行8");

    rows.MarkDeleted(3);
    rows.MarkDeleted(3);
    EXPECT_TRUE(rows.IsDeleted(3));
    EXPECT_EQ(rows.LiveRows(), static_cast<size_t>(count - 1));
    rows.Clear();
    EXPECT_EQ(rows.Rows(), 0u);
}

// Blocks a store gives up serve the next store of the thread: what that store reads back
// must be its own values, never what an earlier store left in the bytes, also when a store
// is replaced by moving another into it.
TEST(RowStoreTest, ReusedBlocksHoldOnlyTheNewStoresValues) {
    for (int round = 0; round < 3; ++round) {
        RowStore rows(2);
        const std::string mark = "第" + std::to_string(round) + "轮";
        for (int i = 0; i < 5000; ++i) { // two cell blocks, several text blocks
            rows.AppendRow(i);
            rows.PushText(VarKind::Text, mark + std::string(static_cast<size_t>(i % 40), 'x'));
            rows.PushReal(VarKind::R8, round * 10000.0 + i);
        }
        RowStore moved(2);
        moved.AppendRow(1);
        moved.PushText(VarKind::Text, "旧");
        moved.PushNull();
        moved = std::move(rows);
        ASSERT_EQ(moved.Rows(), 5000u);
        for (size_t i = 0; i < 5000; i += 499) {
            EXPECT_EQ(moved.View(i, 0).text, mark + std::string(i % 40, 'x'))
                << "round " << round << " row " << i;
            EXPECT_EQ(moved.View(i, 1).real, round * 10000.0 + static_cast<double>(i));
        }
        EXPECT_GE(moved.MemoryUsed(), 2 * 64 * 1024u);
    }
}

} // namespace
