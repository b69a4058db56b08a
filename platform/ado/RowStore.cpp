#include "platform/ado/RowStore.h"

namespace ado {

RowStore::RowStore(size_t columns) : m_columns(columns) {}

void RowStore::AppendRow(std::int64_t rowid) {
    m_rowids.push_back(rowid);
    m_deleted.push_back(0);
}

void RowStore::PushNull() {
    Cell cell{};
    cell.kind = VarKind::Null;
    m_cells.push_back(cell);
}

void RowStore::PushInteger(VarKind kind, std::int64_t value) {
    Cell cell{};
    cell.kind = kind;
    cell.integer = value;
    m_cells.push_back(cell);
}

void RowStore::PushReal(VarKind kind, double value) {
    Cell cell{};
    cell.kind = kind;
    cell.real = value;
    m_cells.push_back(cell);
}

void RowStore::PushText(VarKind kind, std::string_view text) {
    Cell cell{};
    cell.kind = kind;
    cell.offset = m_text.size();
    cell.length = static_cast<std::uint32_t>(text.size());
    m_text.append(text);
    m_cells.push_back(cell);
}

RowStore::Cell RowStore::MakeCell(const Variant& value) {
    Cell cell{};
    cell.kind = value.Kind();
    switch (value.Kind()) {
    case VarKind::Text:
    case VarKind::Binary:
        cell.offset = m_text.size();
        cell.length = static_cast<std::uint32_t>(value.TextValue().size());
        m_text.append(value.TextValue());
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
    m_cells.push_back(MakeCell(value));
}

Variant RowStore::Get(size_t row, size_t column) const {
    const Cell& cell = m_cells[row * m_columns + column];
    switch (cell.kind) {
    case VarKind::Empty:
        return Variant();
    case VarKind::Null:
        return Variant::Null();
    case VarKind::Text:
        return Variant::Text(m_text.substr(cell.offset, cell.length));
    case VarKind::Binary:
        return Variant::Binary(m_text.substr(cell.offset, cell.length));
    case VarKind::R4:
    case VarKind::R8:
    case VarKind::Date:
        return Variant::Real(cell.kind, cell.real);
    case VarKind::Decimal:
        return Variant::Decimal(DecimalValue::FromDouble(cell.real));
    default:
        return Variant::Integer(cell.kind, cell.integer);
    }
}

void RowStore::Set(size_t row, size_t column, const Variant& value) {
    // A replaced text stays in the buffer unused; cursors live for one operation.
    Slot(row, column) = MakeCell(value);
}

void RowStore::MarkDeleted(size_t row) {
    if (!m_deleted[row]) {
        m_deleted[row] = 1;
        ++m_deletedCount;
    }
}

void RowStore::Clear() {
    m_cells.clear();
    m_rowids.clear();
    m_deleted.clear();
    m_deletedCount = 0;
    m_text.clear();
}

size_t RowStore::MemoryUsed() const {
    return m_cells.capacity() * sizeof(Cell) + m_rowids.capacity() * sizeof(std::int64_t) +
           m_deleted.capacity() + m_text.capacity();
}

} // namespace ado
