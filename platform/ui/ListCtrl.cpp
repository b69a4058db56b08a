#include "platform/ui/ListCtrl.h"

#include <QItemSelectionModel>
#include <QMouseEvent>

#include <algorithm>
#include <utility>

namespace ui {
namespace {

// A row's item data with its position before the sort.
struct SortEntry {
    std::uint32_t data;
    int row;
};

constexpr size_t kRun = 8;

// Merge sort of the rows by their item data: runs of kRun sorted by insertion, then merged
// bottom-up. Every read lies within the run or the runs being merged, so a comparison that
// is not a consistent ordering only gives an odd order, never a read past the rows. Ties
// keep the earlier row first.
void MergeSort(std::vector<SortEntry>& entries, ListCtrl::CompareFunc compare, void* context) {
    const size_t count = entries.size();
    for (size_t low = 0; low < count; low += kRun) {
        const size_t high = std::min(low + kRun, count);
        for (size_t i = low + 1; i < high; ++i) {
            const SortEntry entry = entries[i];
            size_t j = i;
            while (j > low && compare(entry.data, entries[j - 1].data, context) < 0) {
                entries[j] = entries[j - 1];
                --j;
            }
            entries[j] = entry;
        }
    }
    std::vector<SortEntry> merged(count);
    for (size_t width = kRun; width < count; width *= 2) {
        for (size_t low = 0; low < count; low += 2 * width) {
            const size_t middle = std::min(low + width, count);
            const size_t high = std::min(low + 2 * width, count);
            size_t left = low;
            size_t right = middle;
            size_t out = low;
            // Branch-free step: which side the comparison picks cannot be predicted.
            while (left < middle && right < high) {
                const bool takeRight =
                    compare(entries[right].data, entries[left].data, context) < 0;
                merged[out++] = takeRight ? entries[right] : entries[left];
                right += takeRight ? 1 : 0;
                left += takeRight ? 0 : 1;
            }
            while (left < middle)
                merged[out++] = entries[left++];
            while (right < high)
                merged[out++] = entries[right++];
        }
        entries.swap(merged);
    }
}

} // namespace

ListCtrl::ListCtrl(QWidget* parent) : QTreeView(parent), m_model(new ListModel(this)) {
    setModel(m_model);
    SetHeaderCtrl(new HeaderCtrl(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ListCtrl::selectedItemsChanged);
}

ListCtrl::~ListCtrl() = default;

void ListCtrl::SetHeaderCtrl(HeaderCtrl* header) {
    if (header == nullptr || header == m_header)
        return;
    setHeader(header); // deletes the previous header, which is ours
    m_header = header;
    // The view turns heading clicks off along with its own sorting; ours sorts by itself.
    m_header->setSectionsClickable(true);
    m_header->setSortIndicatorShown(false);
    connect(m_header, &QHeaderView::sectionClicked, this, &ListCtrl::columnClicked);
}

int ListCtrl::InsertColumn(int column, const std::string& heading, int format, int width) {
    const int index = m_model->InsertColumn(column, heading, format & ~HDF_OWNERDRAW);
    if (index >= 0 && width >= 0)
        m_header->resizeSection(index, width);
    return index;
}

bool ListCtrl::DeleteColumn(int column) {
    return m_model->DeleteColumn(column);
}

int ListCtrl::GetColumnWidth(int column) const {
    if (column < 0 || column >= GetColumnCount())
        return 0;
    return m_header->sectionSize(column);
}

bool ListCtrl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnCount() || width < 0)
        return false;
    m_header->resizeSection(column, width);
    return true;
}

int ListCtrl::InsertItem(int index, const std::string& text) {
    return InsertItem(index, std::vector<std::string>{text}, 0);
}

int ListCtrl::InsertItem(int index, std::vector<std::string> texts, std::uint32_t itemData) {
    return InsertItem(index, TextRow(texts), itemData);
}

int ListCtrl::InsertItem(int index, TextRow texts, std::uint32_t itemData) {
    ListModel::Row row;
    row.texts = std::move(texts);
    row.data = itemData;
    return m_model->InsertRow(index, std::move(row));
}

int ListCtrl::InsertItemFromCells(int index, std::uint32_t cellsRow, std::uint32_t itemData) {
    if (cellsRow >= ListModel::kNoCells)
        return -1;
    ListModel::Row row;
    row.data = itemData;
    row.cells = cellsRow;
    return m_model->InsertRow(index, std::move(row));
}

bool ListCtrl::DeleteItem(int index) {
    return m_model->RemoveRow(index);
}

bool ListCtrl::DeleteAllItems() {
    m_model->Clear();
    return true;
}

bool ListCtrl::SetItemText(int row, int column, const std::string& text) {
    return m_model->SetText(row, column, text);
}

std::uint32_t ListCtrl::GetItemData(int row) const {
    const ListModel::Row* record = m_model->RowAt(row);
    return record != nullptr ? record->data : 0;
}

bool ListCtrl::GetCheck(int row) const {
    const ListModel::Row* record = m_model->RowAt(row);
    return record != nullptr && record->checked;
}

bool ListCtrl::IsSelected(int row) const {
    return m_model->IsRow(row) && selectionModel()->isSelected(m_model->index(row, 0));
}

bool ListCtrl::SetSelected(int row, bool selected) {
    if (!m_model->IsRow(row) || GetColumnCount() == 0)
        return false;
    const QItemSelectionModel::SelectionFlags command =
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
        QItemSelectionModel::Rows;
    selectionModel()->select(m_model->index(row, 0), command);
    return true;
}

int ListCtrl::GetSelectedCount() const {
    int count = 0;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.left() == 0)
            count += range.height();
    }
    return count;
}

int ListCtrl::GetFirstSelectedItem() const {
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.left() == 0 && (first < 0 || range.top() < first))
            first = range.top();
    }
    return first;
}

int ListCtrl::GetFocusedItem() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool ListCtrl::SetFocusedItem(int row) {
    if (!m_model->IsRow(row) || GetColumnCount() == 0)
        return false;
    selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
    return true;
}

bool ListCtrl::EnsureVisible(int row) {
    if (!m_model->IsRow(row) || GetColumnCount() == 0)
        return false;
    scrollTo(m_model->index(row, 0));
    return true;
}

void ListCtrl::SetExtendedStyle(std::uint32_t style) {
    m_nExtendedStyle = style;
    m_model->SetCheckable((style & LVS_EX_CHECKBOXES) != 0);
    // Rows are always selected whole; the grid-less report look is the only one we draw.
}

bool ListCtrl::SortItems(CompareFunc compare, void* context) {
    if (compare == nullptr)
        return false;
    const int count = GetItemCount();
    if (count < 2)
        return true;
    std::vector<SortEntry> entries(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row)
        entries[static_cast<size_t>(row)] = {m_model->RowAt(row)->data, row};
    MergeSort(entries, compare, context);
    std::vector<int> order(static_cast<size_t>(count));
    for (size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].row;
    m_model->Reorder(order);
    return true;
}

int ListCtrl::RowAt(QPoint pos) const {
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

void ListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        emit itemClicked(RowAt(pos));
    else if (event->button() == Qt::RightButton)
        emit itemRightClicked(RowAt(pos), event->globalPosition().toPoint());
}

void ListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit itemDoubleClicked(RowAt(event->position().toPoint()));
}

void ListCtrl::SetRedraw(bool redraw) {
    if (redraw == !m_bRedrawOff)
        return;
    m_bRedrawOff = !redraw;
    if (m_bRedrawOff) {
        m_model->BeginBatch();
        setUpdatesEnabled(false);
    } else {
        m_model->EndBatch();
        setUpdatesEnabled(true);
    }
}

} // namespace ui
