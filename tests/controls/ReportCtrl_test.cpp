#include "controls/ReportCtrl.h"

#include "controls/ReportHeaderCtrl.h"
#include "controls/ReportItemData.h"
#include "tests/controls/HeadingClick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// One sort column (1) next to a label column (0) that names each row.
struct ReportFixture : ::testing::Test {
    ReportFixture() {
        list.resize(500, 300);
        list.InsertColumn(0, "名", ui::LVCFMT_LEFT, 80);
        list.InsertColumn(1, "值", ui::LVCFMT_LEFT, 120);
        list.InsertColumn(2, "注", ui::LVCFMT_LEFT, 80);
        list.show();
    }
    void Fill(const std::vector<std::string>& values) {
        for (size_t i = 0; i < values.size(); ++i)
            list.InsertItem(list.GetItemCount(), "r" + std::to_string(i), values[i]);
    }
    void ClickHeading(int column) { ::ClickHeading(list, column); }
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> out;
        for (int row = 0; row < list.GetItemCount(); ++row)
            out.push_back(list.GetItemText(row, column));
        return out;
    }

    CReportCtrl list;
};

struct SortCase {
    const char* name;
    std::vector<std::string> values;
    std::vector<std::string> ascending;
};

class ReportSortOrder : public ReportFixture, public ::testing::WithParamInterface<SortCase> {};

} // namespace

TEST_P(ReportSortOrder, AscendingThenDescending) {
    const SortCase& sortCase = GetParam();
    Fill(sortCase.values);
    ClickHeading(1);
    EXPECT_EQ(Column(1), sortCase.ascending);
    ClickHeading(1);
    std::vector<std::string> descending = sortCase.ascending;
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(Column(1), descending);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReportSortOrder,
    ::testing::Values(
        SortCase{"Integers", {"100", "9", "10", "-3", "+5"}, {"-3", "+5", "9", "10", "100"}},
        // "%0.1f" amounts are numbers: 9.5 before 10.5.
        SortCase{"Decimals", {"10.5", "9.5", "1500.0", "-3.25", "12"},
                 {"-3.25", "9.5", "10.5", "12", "1500.0"}},
        SortCase{"Trimmed", {" 12 ", "9", "100"}, {"9", " 12 ", "100"}},
        SortCase{"Dates",
                 {"2010-10-01 08时", "2010-9-1 23时", "2009-12-31 23时", "2010-10-01 07时"},
                 {"2009-12-31 23时", "2010-9-1 23时", "2010-10-01 07时", "2010-10-01 08时"}},
        // GB18030 byte order is pinyin order: a, li, wang, zhang.
        SortCase{"ChineseByPinyin", {"张", "王", "阿", "李"}, {"阿", "李", "王", "张"}},
        SortCase{"TextIsCaseSensitive", {"b", "B", "a", "A"}, {"A", "B", "a", "b"}},
        // A date-time against a number or a text compares the texts (in GB18030).
        SortCase{"DatesAndNumbers", {"2010-11-17", "12", "2009-1-1"}, {"12", "2009-1-1", "2010-11-17"}},
        SortCase{"DatesAndChinese", {"张", "2010-11-17", "阿"}, {"2010-11-17", "阿", "张"}}),
    [](const ::testing::TestParamInfo<SortCase>& param) { return std::string(param.param.name); });

TEST_F(ReportFixture, SortStateFollowsHeadingClicks) {
    Fill({"b", "c", "a"});
    list.SetItemText(0, 2, "2");
    list.SetItemText(1, 2, "3");
    list.SetItemText(2, 2, "1");
    auto& header = list.GetReportHeader();
    EXPECT_EQ(header.m_nSortColumn, -1);
    EXPECT_TRUE(header.m_bSortAscending);

    const std::vector<std::pair<int, bool>> clicks = {{2, true}, {2, false}, {2, true}, {1, true}};
    const std::vector<std::vector<std::string>> orders = {
        {"1", "2", "3"}, {"3", "2", "1"}, {"1", "2", "3"}, {"1", "2", "3"}};
    for (size_t i = 0; i < clicks.size(); ++i) {
        ClickHeading(clicks[i].first);
        EXPECT_EQ(header.m_nSortColumn, clicks[i].first) << "click " << i;
        EXPECT_EQ(header.m_bSortAscending, clicks[i].second) << "click " << i;
        EXPECT_EQ(Column(2), orders[i]) << "click " << i;
    }
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ReportFixture, EmptyTextsComeFirstAscendingAndLastDescending) {
    Fill({"5", "", "abc", "  ", "1"});
    ClickHeading(1);
    const std::vector<std::string> ascending = Column(1);
    EXPECT_EQ(ascending[0].find_first_not_of(' '), std::string::npos);
    EXPECT_EQ(ascending[1].find_first_not_of(' '), std::string::npos);
    ClickHeading(1);
    const std::vector<std::string> descending = Column(1);
    EXPECT_EQ(descending[3].find_first_not_of(' '), std::string::npos);
    EXPECT_EQ(descending[4].find_first_not_of(' '), std::string::npos);
}

TEST_F(ReportFixture, SortUsesTheTextSetLast) {
    Fill({"1", "2", "3"});
    ASSERT_TRUE(list.SetItemText(0, 1, "9"));
    ClickHeading(1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"2", "3", "9"}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r1", "r2", "r0"}));

    // A cell set behind the control's back keeps its recorded text for the sort.
    list.ui::ListCtrl::SetItemText(0, 1, "99");
    ClickHeading(1);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r0", "r2", "r1"}));
}

TEST_F(ReportFixture, MixedColumnSortsWithoutLeavingTheRows) {
    // Numbers, date-times, texts and empties: the comparison is no consistent ordering.
    const std::vector<std::string> pool = {"12", "2010-11-17 09时", "工资", "", "-3.5", "abc",
                                           "2009-1-1", "+", "9.5", "爸爸", "1+2", "2010-11-17"};
    std::mt19937 engine(2010);
    for (int round = 0; round < 60; ++round) {
        list.DeleteAllItems();
        std::vector<std::string> values;
        for (int i = 0; i < 97; ++i)
            values.push_back(pool[engine() % pool.size()]);
        Fill(values);
        ClickHeading(1);
        std::vector<std::string> sorted = Column(1);
        std::sort(sorted.begin(), sorted.end());
        std::sort(values.begin(), values.end());
        ASSERT_EQ(sorted, values) << "round " << round;
    }
}

TEST_F(ReportFixture, MovesAndSwapsCarryTextsSelectionAndChecks) {
    Fill({"a", "b", "c", "d", "e"});
    EXPECT_FALSE(list.MoveUp(0, 1));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"}));

    list.SetSelected(3, true);
    list.SetCheck(3);
    EXPECT_TRUE(list.MoveUp(3, 2));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r0", "r3", "r1", "r2", "r4"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "d", "b", "c", "e"}));
    EXPECT_EQ(list.GetFirstSelectedItem(), 1);
    EXPECT_TRUE(list.IsItemSelected(1));
    EXPECT_FALSE(list.IsItemSelected(3));
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_FALSE(list.GetCheck(3));

    // The records moved with the texts: a sort still finds each row's own text.
    ClickHeading(1);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"}));

    EXPECT_TRUE(list.MoveDown(0, 2));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r1", "r2", "r0", "r3", "r4"}));
    EXPECT_TRUE(list.MoveUp(2, -1)); // a negative count moves down
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r1", "r2", "r3", "r0", "r4"}));
    EXPECT_FALSE(list.MoveDown(3, 2)); // the first step is done, the second has no row
    EXPECT_EQ(Column(0), (std::vector<std::string>{"r1", "r2", "r3", "r4", "r0"}));
    EXPECT_TRUE(list.MoveUp(1, 0));
    EXPECT_FALSE(list.SwapItems(0, 5));
    EXPECT_FALSE(list.SwapItems(-1, 0));
}

TEST_F(ReportFixture, RecordsAreFreedExactlyOnce) {
    const int before = CReportItemData::LiveCount();
    EXPECT_EQ(list.DeleteAllItems(), 0);
    {
        CReportCtrl other;
        other.InsertColumn(0, "x");
        for (int i = 0; i < 10; ++i)
            other.InsertItem(i, std::to_string(i));
        EXPECT_EQ(CReportItemData::LiveCount(), before + 10);
        EXPECT_TRUE(other.DeleteItem(4));
        EXPECT_FALSE(other.DeleteItem(9)); // out of range: nothing freed
        EXPECT_FALSE(other.DeleteItem(-1));
        EXPECT_EQ(CReportItemData::LiveCount(), before + 9);
        EXPECT_EQ(other.InsertItem(-1, "no"), -1); // failed insertion makes no record
        EXPECT_EQ(CReportItemData::LiveCount(), before + 9);
        other.InsertItem(0, "new"); // reuses the freed record slot
        EXPECT_EQ(CReportItemData::LiveCount(), before + 10);
        EXPECT_EQ(other.DeleteAllItems(), 10);
        EXPECT_EQ(CReportItemData::LiveCount(), before);
        EXPECT_EQ(other.DeleteAllItems(), 0);
        for (int i = 0; i < 3; ++i)
            other.InsertItem(0, "left for the destructor");
    }
    EXPECT_EQ(CReportItemData::LiveCount(), before);
}

TEST_F(ReportFixture, InsertItemTakesOneTextPerColumn) {
    const char* missing = nullptr;
    EXPECT_EQ(list.InsertItem(0, "a", missing, std::string("c"), "past the last column"), 0);
    EXPECT_EQ(list.InsertItem(1, "only"), 1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"c", ""}));

    // A column added later joins every record with the list's text.
    list.InsertColumn(3, "新");
    list.SetItemText(1, 3, "z");
    list.SetItemText(0, 3, "y");
    ClickHeading(3);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "only"}));
    ClickHeading(3);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"only", "a"}));
}
