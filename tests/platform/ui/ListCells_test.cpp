#include "platform/ui/ListCtrl.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Cells that write "<row>:<column>" for the rows they hold, "" past them.
class NumberedCells : public ui::ListCells {
public:
    explicit NumberedCells(std::uint32_t rows) : m_rows(rows) {}
    std::string Text(std::uint32_t row, int column) const override {
        ++asked;
        if (row >= m_rows || column < 0 || column > 2)
            return {};
        return std::to_string(row) + ":" + std::to_string(column);
    }
    mutable int asked = 0;

private:
    std::uint32_t m_rows;
};

struct ValueRowFixture : ::testing::Test {
    ValueRowFixture() : cells(std::make_shared<NumberedCells>(100)) {
        list.resize(400, 300);
        for (int column = 0; column < 3; ++column)
            list.InsertColumn(column, "H" + std::to_string(column), ui::LVCFMT_LEFT, 80);
        list.SetCells(cells);
    }
    std::vector<std::string> Row(int row) const {
        std::vector<std::string> texts;
        for (int column = 0; column < list.GetColumnCount(); ++column)
            texts.push_back(list.GetItemText(row, column));
        return texts;
    }
    std::string Shown(int row, int column) const {
        return list.model()->index(row, column).data().toString().toStdString();
    }

    std::shared_ptr<NumberedCells> cells;
    ui::ListCtrl list;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(ValueRowFixture, CellsAreWrittenWhenAskedFor) {
    EXPECT_EQ(list.InsertItemFromCells(0, 7, 70), 0);
    EXPECT_EQ(list.InsertItem(1, "own"), 1);
    EXPECT_EQ(list.InsertItemFromCells(1, 3, 30), 1);
    EXPECT_EQ(cells->asked, 0); // filling writes nothing
    EXPECT_EQ(Row(0), (Texts{"7:0", "7:1", "7:2"}));
    EXPECT_EQ(Row(1), (Texts{"3:0", "3:1", "3:2"}));
    EXPECT_EQ(Row(2), (Texts{"own", "", ""}));
    EXPECT_EQ(list.GetItemText(0, 3), "");
    EXPECT_EQ(Shown(1, 2), "3:2");
    EXPECT_EQ(list.GetItemData(1), 30U);
    EXPECT_TRUE(list.GetListModel()->IsValueRow(0));
    EXPECT_FALSE(list.GetListModel()->IsValueRow(2));
    EXPECT_EQ(list.InsertItemFromCells(0, ui::ListModel::kNoCells, 0), -1);
    EXPECT_EQ(list.InsertItemFromCells(-1, 1, 0), -1);
    EXPECT_EQ(list.GetItemCount(), 3);
}

TEST_F(ValueRowFixture, AChangedCellGivesTheRowTextsOfItsOwn) {
    list.InsertItemFromCells(0, 5, 0);
    list.InsertItemFromCells(1, 6, 0);
    ASSERT_TRUE(list.SetItemText(0, 1, "changed"));
    EXPECT_EQ(Row(0), (Texts{"5:0", "changed", "5:2"}));
    EXPECT_FALSE(list.GetListModel()->IsValueRow(0));
    EXPECT_EQ(Shown(0, 1), "changed");
    EXPECT_EQ(Row(1), (Texts{"6:0", "6:1", "6:2"}));
    EXPECT_FALSE(list.SetItemText(1, 3, "no such column"));
    EXPECT_TRUE(list.GetListModel()->IsValueRow(1));
}

TEST_F(ValueRowFixture, ColumnsMoveWithTheTextsTheCellsWrote) {
    list.InsertItemFromCells(0, 1, 0);
    list.InsertItemFromCells(1, 2, 0);
    list.InsertColumn(1, "new", ui::LVCFMT_LEFT, 50);
    EXPECT_EQ(Row(0), (Texts{"1:0", "", "1:1", "1:2"}));
    list.DeleteColumn(0);
    EXPECT_EQ(Row(1), (Texts{"", "2:1", "2:2"}));
}

TEST_F(ValueRowFixture, RowsSortDeleteAndPassTheItemModelTester) {
    QAbstractItemModelTester tester(list.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (std::uint32_t row = 0; row < 10; ++row)
        list.InsertItemFromCells(list.GetItemCount(), row, row);
    list.SortItems(
        [](std::uint32_t a, std::uint32_t b, void*) { return a > b ? -1 : (a < b ? 1 : 0); },
        nullptr);
    EXPECT_EQ(Row(0), (Texts{"9:0", "9:1", "9:2"}));
    EXPECT_EQ(Row(9), (Texts{"0:0", "0:1", "0:2"}));
    ASSERT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(Row(0), (Texts{"8:0", "8:1", "8:2"}));
    // New cells: the rows listed read them.
    list.SetCells(std::make_shared<NumberedCells>(5));
    EXPECT_EQ(Row(0), (Texts{"", "", ""})); // row 8 is past the new cells
    EXPECT_EQ(Row(8), (Texts{"0:0", "0:1", "0:2"}));
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
}

// Rows appended in one step are the rows one insert after another appends, the view told of
// them (the model tester checks the signals); cells' rows that would reach kNoCells add
// nothing.
TEST_F(ValueRowFixture, AppendedRowsAreTheRowsInsertedOneByOne) {
    QAbstractItemModelTester tester(list.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(list.InsertItem(0, "own"), 0);
    EXPECT_EQ(list.AppendItemsFromCells(5, 3, 50), 1);
    EXPECT_EQ(list.AppendItemsFromCells(9, 0, 90), 4);
    ASSERT_EQ(list.GetItemCount(), 4);
    for (int row = 1; row < 4; ++row) {
        EXPECT_EQ(Row(row), (Texts{std::to_string(row + 4) + ":0", std::to_string(row + 4) + ":1",
                                   std::to_string(row + 4) + ":2"}));
        EXPECT_EQ(list.GetItemData(row), static_cast<std::uint32_t>(49 + row));
        EXPECT_EQ(Shown(row, 1), std::to_string(row + 4) + ":1");
    }
    EXPECT_EQ(list.AppendItemsFromCells(ui::ListModel::kNoCells - 2, 3, 0), -1);
    EXPECT_EQ(list.AppendItemsFromCells(ui::ListModel::kNoCells, 1, 0), -1);
    EXPECT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(list.AppendItemsFromCells(ui::ListModel::kNoCells - 2, 2, 7), 4);
    EXPECT_EQ(list.GetItemCount(), 6);
    EXPECT_EQ(list.GetItemData(5), 8U);
}
