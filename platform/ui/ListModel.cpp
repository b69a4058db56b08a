#include "platform/ui/ListModel.h"

#include "platform/ui/HeaderCtrl.h"

#include <algorithm>
#include <utility>

namespace ui {
namespace {

Qt::Alignment AlignmentOf(int format) {
    switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {
}

ListModel::~ListModel() = default;

int ListModel::InsertColumn(int index, const std::string& heading, int format) {
    if (index < 0)
        return -1;
    index = std::min(index, ColumnCount());
    OwnAllTexts();
    if (!InBatch())
        beginInsertColumns(QModelIndex(), index, index);
    m_columns.insert(m_columns.begin() + index, Column{heading, format});
    for (Row& row : m_rows) {
        row.texts = row.texts.Inserted(static_cast<size_t>(index));
    }
    if (!InBatch())
        endInsertColumns();
    return index;
}

bool ListModel::DeleteColumn(int index) {
    if (index < 0 || index >= ColumnCount())
        return false;
    OwnAllTexts();
    if (!InBatch())
        beginRemoveColumns(QModelIndex(), index, index);
    m_columns.erase(m_columns.begin() + index);
    for (Row& row : m_rows) {
        row.texts = row.texts.Erased(static_cast<size_t>(index));
    }
    if (!InBatch())
        endRemoveColumns();
    return true;
}

std::string ListModel::ColumnHeading(int index) const {
    if (index < 0 || index >= ColumnCount())
        return {};
    return m_columns[static_cast<size_t>(index)].heading;
}

int ListModel::ColumnFormat(int index) const {
    if (index < 0 || index >= ColumnCount())
        return LVCFMT_LEFT;
    return m_columns[static_cast<size_t>(index)].format;
}

int ListModel::InsertRow(int index, Row row) {
    if (index < 0)
        return -1;
    index = std::min(index, RowCount());
    if (row.texts.Size() > m_columns.size())
        row.texts = row.texts.Resized(m_columns.size());
    if (!InBatch())
        beginInsertRows(QModelIndex(), index, index);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    if (!InBatch())
        endInsertRows();
    return index;
}

int ListModel::AppendCellRows(std::uint32_t firstCells, std::uint32_t count,
                              std::uint32_t firstData) {
    if (firstCells >= kNoCells || count > kNoCells - firstCells)
        return -1;
    const int first = RowCount();
    if (count == 0)
        return first;
    if (!InBatch())
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(count) - 1);
    m_rows.reserve(m_rows.size() + count);
    for (std::uint32_t i = 0; i < count; ++i) {
        Row& row = m_rows.emplace_back();
        row.data = firstData + i;
        row.cells = firstCells + i;
    }
    if (!InBatch())
        endInsertRows();
    return first;
}

bool ListModel::RemoveRow(int index) {
    if (!IsRow(index))
        return false;
    if (!InBatch())
        beginRemoveRows(QModelIndex(), index, index);
    m_rows.erase(m_rows.begin() + index);
    if (!InBatch())
        endRemoveRows();
    return true;
}

int ListModel::Clear() {
    const int count = RowCount();
    if (!InBatch())
        beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    if (!InBatch())
        endResetModel();
    return count;
}

void ListModel::SetCells(std::shared_ptr<const ListCells> cells) {
    m_cells = std::move(cells);
    if (!m_rows.empty() && !m_columns.empty() && !InBatch())
        emit dataChanged(index(0, 0), index(RowCount() - 1, ColumnCount() - 1), {Qt::DisplayRole});
}

bool ListModel::IsValueRow(int index) const {
    return IsRow(index) && IsValueRow(m_rows[static_cast<size_t>(index)]);
}

TextRow ListModel::WrittenTexts(const Row& row) const {
    if (!IsValueRow(row))
        return row.texts;
    std::vector<std::string> texts(m_columns.size());
    for (size_t column = 0; column < texts.size(); ++column)
        texts[column] = m_cells->Text(row.cells, static_cast<int>(column));
    return TextRow(texts);
}

void ListModel::OwnTexts(Row& row) const {
    if (!IsValueRow(row))
        return;
    row.texts = WrittenTexts(row);
    row.cells = kNoCells;
}

void ListModel::OwnTexts(int index) {
    if (IsRow(index))
        OwnTexts(m_rows[static_cast<size_t>(index)]);
}

void ListModel::OwnAllTexts() {
    for (Row& row : m_rows)
        OwnTexts(row);
}

std::string ListModel::Text(int row, int column) const {
    const Row* record = RowAt(row);
    if (record == nullptr || column < 0)
        return {};
    if (IsValueRow(*record))
        return column < ColumnCount() ? m_cells->Text(record->cells, column) : std::string();
    return std::string(record->texts.At(static_cast<size_t>(column)));
}

bool ListModel::SetText(int row, int column, std::string text) {
    if (!IsRow(row) || column < 0 || column >= ColumnCount())
        return false;
    Row& record = m_rows[static_cast<size_t>(row)];
    OwnTexts(record);
    TextRow& texts = record.texts;
    texts = texts.With(static_cast<size_t>(column), text);
    if (!InBatch()) {
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
    return true;
}

bool ListModel::SetData(int row, std::uint32_t data) {
    if (!IsRow(row))
        return false;
    m_rows[static_cast<size_t>(row)].data = data;
    return true;
}

bool ListModel::SetChecked(int row, bool checked) {
    if (!IsRow(row))
        return false;
    Row& record = m_rows[static_cast<size_t>(row)];
    if ((record.checked != 0) != checked) {
        record.checked = checked ? 1 : 0;
        if (m_bCheckable && !InBatch()) {
            const QModelIndex cell = index(row, 0);
            emit dataChanged(cell, cell, {Qt::CheckStateRole});
        }
    }
    return true;
}

void ListModel::SetCheckable(bool checkable) {
    if (m_bCheckable == checkable)
        return;
    m_bCheckable = checkable;
    if (!m_rows.empty() && !m_columns.empty() && !InBatch())
        emit dataChanged(index(0, 0), index(RowCount() - 1, 0), {Qt::CheckStateRole});
}

void ListModel::BeginBatch() {
    if (m_nBatch++ == 0)
        beginResetModel();
}

void ListModel::EndBatch() {
    if (m_nBatch > 0 && --m_nBatch == 0)
        endResetModel();
}

void ListModel::Reorder(const std::vector<int>& order) {
    if (order.size() != m_rows.size() || m_rows.empty())
        return;
    const bool announce = !InBatch();
    if (announce)
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<Row> rows;
    rows.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        rows.push_back(std::move(m_rows[static_cast<size_t>(order[i])]));
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
    }
    m_rows = std::move(rows);
    if (!announce)
        return;

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[static_cast<size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);

    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex ListModel::index(int row, int column, const QModelIndex& parent) const {
    // Asked for every row each time the view lays a long list out: the same check as the
    // table model's own, without its two calls to the counts.
    if (parent.isValid() || row < 0 || column < 0 || row >= RowCount() || column >= ColumnCount())
        return {};
    return createIndex(row, column);
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const Row& row = m_rows[static_cast<size_t>(index.row())];
        if (IsValueRow(row))
            return QString::fromStdString(m_cells->Text(row.cells, index.column()));
        const std::string_view text = row.texts.At(static_cast<size_t>(index.column()));
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(ColumnFormat(index.column())));
    case Qt::CheckStateRole:
        if (m_bCheckable && index.column() == 0)
            return m_rows[static_cast<size_t>(index.row())].checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !m_bCheckable || index.column() != 0 ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    return SetChecked(index.row(), value.toInt() == Qt::Checked);
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(ColumnHeading(section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(AlignmentOf(ColumnFormat(section)));
    if (role == HeaderCtrl::kFormatRole)
        return ColumnFormat(section);
    return {};
}

bool ListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                              int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount())
        return false;
    Column& column = m_columns[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        column.heading = value.toString().toStdString();
    else if (role == HeaderCtrl::kFormatRole)
        column.format = value.toInt();
    else
        return false;
    emit headerDataChanged(Qt::Horizontal, section, section);
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_bCheckable && index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

} // namespace ui
