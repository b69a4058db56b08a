#include "platform/ui/ListCtrl.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// A list with three columns and rows whose item data is 10 × their first position.
struct ListFixture : ::testing::Test {
    ListFixture() {
        list.resize(400, 300);
        list.InsertColumn(0, "A", ui::LVCFMT_LEFT, 80);
        list.InsertColumn(1, "B", ui::LVCFMT_RIGHT, 80);
        list.InsertColumn(2, "C", ui::LVCFMT_CENTER, 80);
    }
    void Fill(int rows) {
        for (int i = 0; i < rows; ++i) {
            const int row = list.InsertItem(list.GetItemCount(), "r" + std::to_string(i));
            list.SetItemData(row, static_cast<std::uint32_t>(10 * i));
        }
    }
    std::vector<std::uint32_t> DataInOrder() const {
        std::vector<std::uint32_t> out;
        for (int row = 0; row < list.GetItemCount(); ++row)
            out.push_back(list.GetItemData(row));
        return out;
    }

    ui::ListCtrl list;
};

int Descending(std::uint32_t a, std::uint32_t b, void*) {
    return a > b ? -1 : (a < b ? 1 : 0);
}

int AllEqual(std::uint32_t, std::uint32_t, void*) {
    return 0;
}

int Random(std::uint32_t, std::uint32_t, void* context) {
    auto& engine = *static_cast<std::mt19937*>(context);
    return static_cast<int>(engine() % 3) - 1;
}

} // namespace

TEST_F(ListFixture, RowsAndCellsFollowTheirIndexes) {
    EXPECT_EQ(list.InsertItem(-1, "x"), -1);
    EXPECT_EQ(list.InsertItem(0, "b"), 0);
    EXPECT_EQ(list.InsertItem(0, "a"), 0);
    EXPECT_EQ(list.InsertItem(99, "c"), 2); // past the end appends
    EXPECT_TRUE(list.SetItemText(1, 2, "b2"));
    EXPECT_FALSE(list.SetItemText(1, 3, "no such column"));
    EXPECT_FALSE(list.SetItemText(3, 0, "no such row"));
    EXPECT_EQ(list.GetItemText(0, 0), "a");
    EXPECT_EQ(list.GetItemText(1, 2), "b2");
    EXPECT_EQ(list.GetItemText(1, 1), "");
    EXPECT_EQ(list.GetItemText(7, 0), "");

    // A column inserted before others shifts their texts right.
    EXPECT_EQ(list.InsertColumn(0, "Z"), 0);
    EXPECT_EQ(list.GetItemText(1, 3), "b2");
    EXPECT_EQ(list.GetItemText(1, 1), "b");

    EXPECT_FALSE(list.DeleteItem(3));
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemText(0, 1), "b");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListFixture, SelectionAndCheckStateGoWithTheirRowsWhenSorted) {
    Fill(5);
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    list.SetCheck(1);
    EXPECT_EQ(list.GetFirstSelectedItem(), 1);
    EXPECT_EQ(list.GetSelectedCount(), 2);

    ASSERT_TRUE(list.SortItems(&Descending, nullptr));
    EXPECT_EQ(DataInOrder(), (std::vector<std::uint32_t>{40, 30, 20, 10, 0}));
    // Old rows 1 and 3 (data 10 and 30) are now rows 3 and 1.
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_TRUE(list.IsSelected(3));
    EXPECT_FALSE(list.IsSelected(0));
    EXPECT_TRUE(list.GetCheck(3));
    EXPECT_FALSE(list.GetCheck(1));
    EXPECT_EQ(list.GetItemText(3, 0), "r1");

    list.SetSelected(1, false);
    EXPECT_EQ(list.GetFirstSelectedItem(), 3);
    list.SetSelected(3, false);
    EXPECT_EQ(list.GetFirstSelectedItem(), -1);
}

TEST_F(ListFixture, SortKeepsEqualRowsInOrderAndSurvivesAnyAnswers) {
    Fill(200);
    const std::vector<std::uint32_t> before = DataInOrder();
    ASSERT_TRUE(list.SortItems(&AllEqual, nullptr));
    EXPECT_EQ(DataInOrder(), before);

    std::mt19937 engine(7);
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(list.SortItems(&Random, &engine));
        std::vector<std::uint32_t> after = DataInOrder();
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before) << "round " << round; // still every row, once
    }
}

TEST_F(ListFixture, MouseNotificationsCarryTheRow) {
    Fill(3);
    list.show();
    QSignalSpy columns(&list, &ui::ListCtrl::columnClicked);
    QSignalSpy doubles(&list, &ui::ListCtrl::itemDoubleClicked);
    QSignalSpy rights(&list, &ui::ListCtrl::itemRightClicked);
    QSignalSpy clicks(&list, &ui::ListCtrl::itemClicked);

    ui::HeaderCtrl* header = list.GetHeaderCtrl();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    ASSERT_EQ(columns.count(), 1);
    EXPECT_EQ(columns.at(0).at(0).toInt(), 1);

    const QRect second = list.visualRect(list.model()->index(1, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 1);
    EXPECT_EQ(list.GetFirstSelectedItem(), 1);

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 5));
    ASSERT_EQ(doubles.count(), 2);
    EXPECT_EQ(doubles.at(0).at(0).toInt(), 1);
    EXPECT_EQ(doubles.at(1).at(0).toInt(), -1);

    const QRect third = list.visualRect(list.model()->index(2, 0));
    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, third.center());
    ASSERT_EQ(rights.count(), 1);
    EXPECT_EQ(rights.at(0).at(0).toInt(), 2);
    EXPECT_EQ(rights.at(0).at(1).toPoint(), list.viewport()->mapToGlobal(third.center()));
}

TEST_F(ListFixture, ModelPassesTheItemModelTester) {
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    list.SetExtendedStyle(ui::LVS_EX_CHECKBOXES | ui::LVS_EX_FULLROWSELECT);
    Fill(30);
    list.SetItemText(4, 1, "x");
    list.SetCheck(5);
    list.SetSelected(6, true);
    list.SortItems(&Descending, nullptr);
    list.InsertColumn(1, "new", ui::LVCFMT_LEFT, 40);
    list.DeleteItem(0);
    list.DeleteColumn(1);
    list.DeleteAllItems();
    EXPECT_EQ(list.model()->rowCount(), 0);
    EXPECT_EQ(list.model()->columnCount(), 3);

    // A fill with drawing off stays consistent for the view, whatever it does meanwhile.
    list.SetRedraw(false);
    Fill(20);
    list.SetItemText(3, 2, "y");
    list.SortItems(&Descending, nullptr);
    list.DeleteItem(0);
    list.SetRedraw(true);
    EXPECT_EQ(list.model()->rowCount(), 19);
}

TEST_F(ListFixture, RowsAddedWithDrawingOffAreShownWhenItIsBackOn) {
    QSignalSpy inserted(list.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(list.model(), &QAbstractItemModel::modelReset);
    list.SetRedraw(false);
    list.SetRedraw(false); // a second switch is no second batch
    Fill(1000);
    EXPECT_EQ(list.GetItemCount(), 1000);
    EXPECT_EQ(list.GetItemText(999, 0), "r999");
    list.SetRedraw(true);
    list.SetRedraw(true);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(list.model()->rowCount(), 1000);
    EXPECT_TRUE(list.updatesEnabled());
    EXPECT_TRUE(list.visualRect(list.model()->index(0, 0)).isValid());

    // Drawing on again: rows are announced one by one as before.
    Fill(1);
    EXPECT_EQ(inserted.count(), 1);
}
