#include "controls/ReportCtrl.h"

#include "controls/ReportItemData.h"
#include "tests/controls/HeadingClick.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// Cells that write the texts they were given, row by row.
class TableCells : public ui::ListCells {
public:
    std::string Text(std::uint32_t row, int column) const override {
        if (row >= rows.size() || column < 0 || static_cast<size_t>(column) >= rows[row].size())
            return {};
        return rows[row][static_cast<size_t>(column)];
    }
    std::vector<Texts> rows;
};

std::unique_ptr<CReportCtrl> MakeList(int columns) {
    auto list = std::make_unique<CReportCtrl>();
    list->resize(500, 300);
    for (int column = 0; column < columns; ++column)
        list->InsertColumn(column, "H" + std::to_string(column), ui::LVCFMT_LEFT, 80);
    list->show();
    return list;
}

std::vector<Texts> Rows(const CReportCtrl& list) {
    std::vector<Texts> rows;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        Texts texts;
        for (int column = 0; column < list.GetColumnCount(); ++column)
            texts.push_back(list.GetItemText(row, column));
        rows.push_back(texts);
    }
    return rows;
}

Texts Column(const CReportCtrl& list, int column) {
    Texts texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

// Rows like an inquiry's, with the odd cells that make the comparison change its kind.
std::vector<Texts> RandomRows(std::mt19937& engine, int count) {
    const Texts amounts = {"12.5", "9.0", "1500.0", "-3.5", "0.0", "12.5", "", "abc"};
    const Texts dates = {"2010-11-17 09时",
                         "2010-11-17 10时",
                         "2009-01-01 00时",
                         "",
                         "2010-9-1 23时",
                         "2026-02-30 10:00:00",
                         "12"};
    const Texts names = {"爸爸", "妈妈", "阿姨", "工资", "", "b", "B"};
    std::vector<Texts> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({std::to_string(i + 1), amounts[engine() % amounts.size()],
                        names[engine() % names.size()], dates[engine() % dates.size()],
                        names[engine() % names.size()]});
    return rows;
}

} // namespace

// Value rows sort exactly as rows holding the same texts, by every column both ways, and
// so do lists mixing both kinds.
TEST(ReportValueRows, SortAsTheSameTextsWouldSort) {
    std::mt19937 engine(2010);
    for (int round = 0; round < 6; ++round) {
        auto cells = std::make_shared<TableCells>();
        cells->rows = RandomRows(engine, 150);
        auto texts = MakeList(5);
        auto values = MakeList(5);
        values->SetCells(cells);
        for (size_t i = 0; i < cells->rows.size(); ++i) {
            const Texts& row = cells->rows[i];
            texts->InsertItem(texts->GetItemCount(), row[0], row[1], row[2], row[3], row[4]);
            if (round % 2 == 1 && i % 3 == 0) // mixed: every third row holds its texts
                values->InsertItem(values->GetItemCount(), row[0], row[1], row[2], row[3], row[4]);
            else
                values->InsertItemFromCells(values->GetItemCount(), static_cast<std::uint32_t>(i));
        }
        ASSERT_EQ(Rows(*values), Rows(*texts));
        for (int column : {1, 3, 2, 0, 4, 1}) {
            for (int click = 0; click < 2; ++click) {
                ClickHeading(*texts, column);
                ClickHeading(*values, column);
                ASSERT_EQ(Rows(*values), Rows(*texts))
                    << "round " << round << " column " << column << " click " << click;
            }
        }
    }
}

TEST(ReportValueRows, AChangedValueRowKeepsARecordOfItsTexts) {
    const int before = CReportItemData::LiveCount();
    auto cells = std::make_shared<TableCells>();
    cells->rows = {{"1", "30.0"}, {"2", "10.0"}, {"3", "20.0"}};
    auto list = MakeList(2);
    list->SetCells(cells);
    for (std::uint32_t row = 0; row < 3; ++row)
        list->InsertItemFromCells(list->GetItemCount(), row);
    EXPECT_EQ(CReportItemData::LiveCount(), before); // value rows keep no records

    ASSERT_TRUE(list->SetItemText(0, 1, "5.0"));
    EXPECT_EQ(CReportItemData::LiveCount(), before + 1);
    EXPECT_FALSE(list->SetItemText(1, 2, "no such column"));
    EXPECT_EQ(CReportItemData::LiveCount(), before + 1);
    ClickHeading(*list, 1);
    EXPECT_EQ(Column(*list, 0), (Texts{"1", "2", "3"}));
    EXPECT_EQ(Column(*list, 1), (Texts{"5.0", "10.0", "20.0"}));

    // A text set behind the control's back is not sorted on, as for any row.
    list->ui::ListCtrl::SetItemText(2, 1, "1.0");
    ClickHeading(*list, 1);
    EXPECT_EQ(Column(*list, 0), (Texts{"3", "2", "1"}));

    // Swapping value rows carries their texts, and the sort still finds them.
    EXPECT_TRUE(list->MoveDown(0));
    EXPECT_EQ(Column(*list, 0), (Texts{"2", "3", "1"}));
    ClickHeading(*list, 0);
    EXPECT_EQ(Column(*list, 0), (Texts{"1", "2", "3"}));
    EXPECT_EQ(Column(*list, 1), (Texts{"5.0", "10.0", "1.0"}));

    EXPECT_TRUE(list->DeleteItem(0));
    EXPECT_EQ(list->DeleteAllItems(), 2);
    EXPECT_EQ(CReportItemData::LiveCount(), before);
}

TEST(ReportValueRows, AColumnAddedLaterJoinsTheValueRows) {
    auto cells = std::make_shared<TableCells>();
    cells->rows = {{"b", "2"}, {"a", "1"}};
    auto list = MakeList(2);
    list->SetCells(cells);
    list->InsertItemFromCells(0, 0);
    list->InsertItemFromCells(1, 1);
    list->InsertColumn(0, "新");
    list->SetItemText(0, 0, "y");
    list->SetItemText(1, 0, "x");
    EXPECT_EQ(Rows(*list), (std::vector<Texts>{{"y", "b", "2"}, {"x", "a", "1"}}));
    ClickHeading(*list, 0);
    EXPECT_EQ(Column(*list, 1), (Texts{"a", "b"}));
    ClickHeading(*list, 2);
    EXPECT_EQ(Column(*list, 2), (Texts{"1", "2"}));
    EXPECT_EQ(list->InsertItemFromCells(0, 0x80000000), -1);
}

// Rows appended in one step sort and take changed texts like rows inserted one by one; a
// list emptied and filled again starts without the records of its former rows.
TEST(ReportValueRows, AppendedRowsAreValueRowsAndARefillStartsAfresh) {
    const int before = CReportItemData::LiveCount();
    auto cells = std::make_shared<TableCells>();
    cells->rows = {{"1", "30.0"}, {"2", "10.0"}, {"3", "20.0"}};
    auto list = MakeList(2);
    auto inserted = MakeList(2); // the same rows inserted one by one
    list->SetCells(cells);
    inserted->SetCells(cells);
    for (int fill = 0; fill < 2; ++fill) {
        EXPECT_EQ(list->AppendItemsFromCells(0, 3), 0);
        for (std::uint32_t row = 0; row < 3; ++row)
            inserted->InsertItemFromCells(inserted->GetItemCount(), row);
        EXPECT_EQ(CReportItemData::LiveCount(), before);
        for (CReportCtrl* each : {list.get(), inserted.get()}) {
            ASSERT_TRUE(each->SetItemText(1, 1, "40.0"));
            ASSERT_TRUE(each->SetItemText(2, 0, "9"));
            ClickHeading(*each, 1);
        }
        EXPECT_EQ(CReportItemData::LiveCount(), before + 4);
        EXPECT_EQ(Rows(*list), Rows(*inserted));
        EXPECT_EQ(Column(*list, 1),
                  fill == 0 ? (Texts{"20.0", "30.0", "40.0"}) : (Texts{"40.0", "30.0", "20.0"}));
        EXPECT_EQ(list->DeleteAllItems(), 3);
        EXPECT_EQ(inserted->DeleteAllItems(), 3);
        EXPECT_EQ(CReportItemData::LiveCount(), before);
    }
    EXPECT_EQ(list->AppendItemsFromCells(0x7FFFFFFE, 2), -1);
    EXPECT_EQ(list->GetItemCount(), 0);
}
