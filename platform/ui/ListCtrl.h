#pragma once

#include "platform/ui/HeaderCtrl.h"
#include "platform/ui/ListModel.h"

#include <QPoint>
#include <QTreeView>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// Extended list styles.
constexpr std::uint32_t LVS_EX_GRIDLINES = 0x0001;
constexpr std::uint32_t LVS_EX_CHECKBOXES = 0x0004;
constexpr std::uint32_t LVS_EX_FULLROWSELECT = 0x0020;

/// A report-style list: rows of texts under a row of headings, one 32-bit item data, a
/// check state and a selected state per row, several rows selectable at once. The rows live
/// in a ListModel (a vector of row records); the view draws only what is visible. Texts are
/// UTF-8 at this interface. Rows are addressed by their display index.
class ListCtrl : public QTreeView {
    Q_OBJECT
public:
    /// Orders two rows by their item data: negative, zero or positive.
    using CompareFunc = int (*)(std::uint32_t data1, std::uint32_t data2, void* context);

    explicit ListCtrl(QWidget* parent = nullptr);
    ~ListCtrl() override;

    // Columns.
    /// Inserts a column (format: LVCFMT_*; width in pixels, −1 for the default); returns
    /// its index or −1.
    int InsertColumn(int column, const std::string& heading, int format = LVCFMT_LEFT,
                     int width = -1);
    bool DeleteColumn(int column);
    int GetColumnCount() const { return m_model->ColumnCount(); }
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);

    // Rows.
    int GetItemCount() const { return m_model->RowCount(); }
    /// Inserts a row with the text of column 0 before `index` (past the end appends);
    /// returns the new row's index, or −1 when `index` is negative.
    int InsertItem(int index, const std::string& text);
    /// Inserts a row with all its texts and its item data at once.
    int InsertItem(int index, std::vector<std::string> texts, std::uint32_t itemData);
    /// The same with the texts already in one block, which the caller may keep sharing.
    int InsertItem(int index, TextRow texts, std::uint32_t itemData);
    /// Inserts a value row: its texts are those of row `cellsRow` (below kNoCells) of the
    /// list's cells; −1 for a larger one.
    int InsertItemFromCells(int index, std::uint32_t cellsRow, std::uint32_t itemData);
    /// Appends value rows for the cells' rows `firstCellsRow` … `firstCellsRow + count − 1`,
    /// with item data `firstItemData` onwards; returns the index of the first, or −1 (nothing
    /// added) when a cells' row would not be below kNoCells.
    int AppendItemsFromCells(std::uint32_t firstCellsRow, std::uint32_t count,
                             std::uint32_t firstItemData) {
        return m_model->AppendCellRows(firstCellsRow, count, firstItemData);
    }
    /// The source of the value rows' texts (see ListModel).
    void SetCells(std::shared_ptr<const ListCells> cells) { m_model->SetCells(std::move(cells)); }
    bool DeleteItem(int index);
    bool DeleteAllItems();
    std::string GetItemText(int row, int column) const { return m_model->Text(row, column); }
    bool SetItemText(int row, int column, const std::string& text);
    /// 0 for a row that does not exist.
    std::uint32_t GetItemData(int row) const;
    bool SetItemData(int row, std::uint32_t itemData) { return m_model->SetData(row, itemData); }
    bool GetCheck(int row) const;
    bool SetCheck(int row, bool check = true) { return m_model->SetChecked(row, check); }

    // Selection and focus.
    bool IsSelected(int row) const;
    bool SetSelected(int row, bool selected);
    int GetSelectedCount() const;
    /// The lowest selected row index, −1 when none is selected.
    int GetFirstSelectedItem() const;
    /// The row with the focus, −1 when none has it.
    int GetFocusedItem() const;
    bool SetFocusedItem(int row);
    bool EnsureVisible(int row);

    /// Off: rows may be added, removed and changed without the view following each one;
    /// back on, the view shows them all at once (and nothing is selected). For filling long
    /// lists.
    void SetRedraw(bool redraw);

    std::uint32_t GetExtendedStyle() const { return m_nExtendedStyle; }
    void SetExtendedStyle(std::uint32_t style);

    /// Sorts the rows with `compare` over their item data. The merge below stays within
    /// the rows whatever `compare` answers, and keeps rows that compare equal in their
    /// order. Selection, check state and focus go with their rows.
    bool SortItems(CompareFunc compare, void* context);

    HeaderCtrl* GetHeaderCtrl() const { return m_header; }
    ListModel* GetListModel() const { return m_model; }

signals:
    void columnClicked(int column);
    /// Left button released over the list; row −1 over empty space.
    void itemClicked(int row);
    void itemDoubleClicked(int row);
    void itemRightClicked(int row, QPoint globalPos);
    void selectedItemsChanged();

protected:
    /// Puts a header of a derived control's own in place of the plain one; the list takes
    /// ownership.
    void SetHeaderCtrl(HeaderCtrl* header);

    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int RowAt(QPoint pos) const;

    ListModel* m_model;
    HeaderCtrl* m_header = nullptr;
    std::uint32_t m_nExtendedStyle = 0;
    bool m_bRedrawOff = false;
};

} // namespace ui
