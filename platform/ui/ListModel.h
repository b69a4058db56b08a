#pragma once

#include "platform/ui/ListCells.h"
#include "platform/ui/TextRow.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// Column alignment, as a column's format holds it.
constexpr int LVCFMT_LEFT = 0x0000;
constexpr int LVCFMT_RIGHT = 0x0001;
constexpr int LVCFMT_CENTER = 0x0002;
constexpr int LVCFMT_JUSTIFYMASK = 0x0003;

/// The rows of a report-style list: one record per row (its texts, its 32-bit item data and
/// its check state), kept in a vector. Texts are UTF-8 and become QString only when the
/// view asks for them. Selection and focus live in the view's selection model.
///
/// A value row keeps no texts: it names a row of the model's ListCells, which writes its
/// cells when they are asked for. Changing a cell of a value row, or the columns, gives it
/// texts of its own.
class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr std::uint32_t kNoCells = 0x7FFFFFFF;

    // Sixteen bytes: a sort moves every row.
    struct Row {
        TextRow texts; // may be shorter than the column count: the rest is ""
        std::uint32_t data = 0;
        std::uint32_t cells : 31 = kNoCells; // the ListCells row of a value row
        std::uint32_t checked : 1 = 0;
    };

    explicit ListModel(QObject* parent = nullptr);
    ~ListModel() override;

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }

    /// Inserts a column before `index` (clamped to the column count); returns its index or
    /// −1 when `index` is negative.
    int InsertColumn(int index, const std::string& heading, int format);
    bool DeleteColumn(int index);
    std::string ColumnHeading(int index) const;
    int ColumnFormat(int index) const;

    /// Inserts a row before `index` (an index past the end appends); returns its index, or
    /// −1 when `index` is negative. Texts past the column count are dropped.
    int InsertRow(int index, Row row);
    /// Appends `count` value rows naming the cells' rows `firstCells` onwards, with item data
    /// `firstData` onwards (one more per row); returns the index of the first, or −1 when the
    /// cells' rows would reach kNoCells. One step for a listing of many rows.
    int AppendCellRows(std::uint32_t firstCells, std::uint32_t count, std::uint32_t firstData);
    bool RemoveRow(int index);
    /// Removes every row; returns how many there were.
    int Clear();

    bool IsRow(int index) const { return index >= 0 && index < RowCount(); }
    const Row* RowAt(int index) const {
        return IsRow(index) ? &m_rows[static_cast<size_t>(index)] : nullptr;
    }

    /// The source of the value rows' texts; rows already listed read the new one.
    void SetCells(std::shared_ptr<const ListCells> cells);
    const ListCells* Cells() const { return m_cells.get(); }
    bool IsValueRow(int index) const;
    /// Gives a value row the texts its cells write, as texts of its own.
    void OwnTexts(int index);

    /// "" outside the rows and columns.
    std::string Text(int row, int column) const;
    bool SetText(int row, int column, std::string text);
    bool SetData(int row, std::uint32_t data);
    bool SetChecked(int row, bool checked);
    /// Whether the view shows a check box in column 0.
    void SetCheckable(bool checkable);
    bool IsCheckable() const { return m_bCheckable; }

    /// While a batch is open the view is told nothing; closing it tells the view that every
    /// row may have changed (a model reset, which also clears the selection). Used to fill a
    /// list of a hundred thousand rows in one go. Batches nest.
    void BeginBatch();
    void EndBatch();
    bool InBatch() const { return m_nBatch != 0; }

    /// Puts the rows in the order given: row i of the result is the old row order[i].
    /// `order` must be a permutation of 0 … RowCount() − 1. Persistent indexes (the
    /// selection, the focus) follow their rows.
    void Reorder(const std::vector<int>& order);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Column {
        std::string heading;
        int format = 0;
    };

    bool IsValueRow(const Row& row) const { return row.cells != kNoCells && m_cells; }
    /// The row's texts, written out by the cells for a value row.
    TextRow WrittenTexts(const Row& row) const;
    void OwnTexts(Row& row) const;
    /// Gives every value row texts of its own, before the columns move under them.
    void OwnAllTexts();

    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    std::shared_ptr<const ListCells> m_cells;
    bool m_bCheckable = false;
    int m_nBatch = 0;
};

} // namespace ui
