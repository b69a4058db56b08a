#include "platform/ado/RowStore.h"

#include <algorithm>

namespace ado {

RowStore::RowStore(size_t columns) : m_columns(columns) {
}

void RowStore::AppendRow(std::int64_t rowid) {
    m_rowids.push_back(rowid);
    m_deleted.push_back(0);
}

void RowStore::PushCell(const Cell& cell) {
    if ((m_cellCount & (kCellBlock - 1)) == 0 &&
        (m_cellCount >> kCellBlockBits) == m_cellBlocks.size())
        m_cellBlocks.push_back(std::make_unique_for_overwrite<Cell[]>(kCellBlock));
    Slot(m_cellCount++) = cell;
}

std::uint64_t RowStore::StoreText(std::string_view text) {
    if (m_textBlocks.empty() ||
        m_textBlocks.back().capacity() - m_textBlocks.back().size() < text.size()) {
        m_textBlocks.emplace_back();
        m_textBlocks.back().reserve(std::max(kTextBlock, text.size()));
    }
    std::string& block = m_textBlocks.back();
    const std::uint64_t at =
        (static_cast<std::uint64_t>(m_textBlocks.size() - 1) << 32) | block.size();
    block.append(text);
    return at;
}

std::string_view RowStore::TextOf(const Cell& cell) const {
    const std::string& block = m_textBlocks[cell.offset >> 32];
    return std::string_view(block).substr(cell.offset & 0xFFFFFFFFu, cell.length);
}

void RowStore::PushNull() {
    Cell cell{};
    cell.kind = VarKind::Null;
    PushCell(cell);
}

void RowStore::PushInteger(VarKind kind, std::int64_t value) {
    Cell cell{};
    cell.kind = kind;
    cell.integer = value;
    PushCell(cell);
}

void RowStore::PushReal(VarKind kind, double value) {
    Cell cell{};
    cell.kind = kind;
    cell.real = value;
    PushCell(cell);
}

void RowStore::PushText(VarKind kind, std::string_view text) {
    Cell cell{};
    cell.kind = kind;
    cell.length = static_cast<std::uint32_t>(text.size());
    cell.offset = StoreText(text);
    PushCell(cell);
}

RowStore::Cell RowStore::MakeCell(const Variant& value) {
    Cell cell{};
    cell.kind = value.Kind();
    switch (value.Kind()) {
    case VarKind::Text:
    case VarKind::Binary:
        cell.length = static_cast<std::uint32_t>(value.TextValue().size());
        cell.offset = StoreText(value.TextValue());
        break;
    case VarKind::R4:
    case VarKind::R8:
    case VarKind::Date:
        cell.real = value.RealValue();
        break;
    case VarKind::Decimal:
        // Decimals come from the engine as doubles; they become decimals again on reading.
        cell.real = value.DecimalData().ToDouble();
        break;
    default:
        cell.integer = value.IntegerValue();
        break;
    }
    return cell;
}

void RowStore::Push(const Variant& value) {
    PushCell(MakeCell(value));
}

ValueView RowStore::View(size_t row, size_t column) const {
    const Cell& cell = Slot(row * m_columns + column);
    ValueView view;
    view.kind = cell.kind;
    switch (cell.kind) {
    case VarKind::Empty:
    case VarKind::Null:
        break;
    case VarKind::Text:
    case VarKind::Binary:
        view.text = TextOf(cell);
        break;
    case VarKind::R4:
    case VarKind::R8:
    case VarKind::Date:
        view.real = cell.real;
        break;
    case VarKind::Decimal:
        view.decimal = DecimalValue::FromDouble(cell.real);
        break;
    default:
        view.integer = cell.integer;
        break;
    }
    return view;
}

void RowStore::Set(size_t row, size_t column, const Variant& value) {
    // A replaced text stays in the buffer unused; cursors live for one operation.
    Slot(row * m_columns + column) = MakeCell(value);
}

void RowStore::MarkDeleted(size_t row) {
    if (!m_deleted[row]) {
        m_deleted[row] = 1;
        ++m_deletedCount;
    }
}

void RowStore::Clear() {
    m_cellBlocks.clear();
    m_cellCount = 0;
    m_rowids.clear();
    m_deleted.clear();
    m_deletedCount = 0;
    m_textBlocks.clear();
}

size_t RowStore::MemoryUsed() const {
    size_t text = 0;
    for (const auto& block : m_textBlocks)
        text += block.capacity();
    return m_cellBlocks.size() * kCellBlock * sizeof(Cell) +
           m_rowids.capacity() * sizeof(std::int64_t) + m_deleted.capacity() + text;
}

} // namespace ado
