#include "platform/ui/TextRow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::TextRow;

std::vector<std::string> All(const TextRow& row) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < row.Size(); ++i)
        texts.emplace_back(row.At(i));
    return texts;
}

TEST(TextRowTest, KeepsEachTextAndAnswersEmptyPastTheEnd) {
    const TextRow row(std::vector<std::string>{"7", "", "1500.0", "2010-11-17 09时", "工资"});
    EXPECT_EQ(All(row), (std::vector<std::string>{"7", "", "1500.0", "2010-11-17 09时", "工资"}));
    EXPECT_EQ(row.At(5), "");
    EXPECT_EQ(TextRow().Size(), 0u);
    EXPECT_EQ(TextRow().At(0), "");
    EXPECT_EQ(TextRow(std::vector<std::string>{}).Size(), 0u);
}

// Every change makes a new row: a copy taken before (the report list's record) keeps the
// texts it had, as a cell changed behind the record's back must leave the record alone.
TEST(TextRowTest, ChangesLeaveEarlierCopiesAlone) {
    const std::vector<std::string> start{"a", "bb", "ccc"};
    struct Case {
        const char* what;
        TextRow (*change)(const TextRow&);
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"with", [](const TextRow& r) { return r.With(1, "新"); }, {"a", "新", "ccc"}},
        {"with past the end",
         [](const TextRow& r) { return r.With(4, "e"); },
         {"a", "bb", "ccc", "", "e"}},
        {"with its own text",
         [](const TextRow& r) { return r.With(0, r.At(2)); },
         {"ccc", "bb", "ccc"}},
        {"inserted", [](const TextRow& r) { return r.Inserted(1); }, {"a", "", "bb", "ccc"}},
        {"inserted past the end",
         [](const TextRow& r) { return r.Inserted(3); },
         {"a", "bb", "ccc"}},
        {"erased", [](const TextRow& r) { return r.Erased(0); }, {"bb", "ccc"}},
        {"erased past the end", [](const TextRow& r) { return r.Erased(3); }, {"a", "bb", "ccc"}},
        {"resized down", [](const TextRow& r) { return r.Resized(2); }, {"a", "bb"}},
        {"resized up", [](const TextRow& r) { return r.Resized(4); }, {"a", "bb", "ccc", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextRow list(start);
        const TextRow record = list; // shares the block
        list = c.change(list);
        EXPECT_EQ(All(list), c.expected);
        EXPECT_EQ(All(record), start);
    }
    // The last sharer frees the block; the others still read it.
    auto* first = new TextRow(start);
    const TextRow second = *first;
    delete first;
    EXPECT_EQ(All(second), start);
}

} // namespace
