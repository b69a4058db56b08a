#pragma once

#include "platform/ado/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

/// The rows a cursor has read, kept compactly: one 16-byte cell per value, all texts in one
/// shared buffer, plus each row's rowid and a deleted mark.
class RowStore {
public:
    explicit RowStore(size_t columns = 0);

    size_t Columns() const { return m_columns; }
    size_t Rows() const { return m_rowids.size(); }
    /// Rows not marked deleted.
    size_t LiveRows() const { return m_rowids.size() - m_deletedCount; }

    /// Starts a new row; its cells follow with the Push calls, one per column in order.
    void AppendRow(std::int64_t rowid);
    void PushNull();
    void PushInteger(VarKind kind, std::int64_t value);
    void PushReal(VarKind kind, double value);
    void PushText(VarKind kind, std::string_view text);
    void Push(const Variant& value);

    Variant Get(size_t row, size_t column) const;
    void Set(size_t row, size_t column, const Variant& value);
    std::int64_t RowId(size_t row) const { return m_rowids[row]; }
    bool IsDeleted(size_t row) const { return m_deleted[row] != 0; }
    void MarkDeleted(size_t row);
    void Clear();
    /// Bytes held, for measuring.
    size_t MemoryUsed() const;

private:
    struct Cell {
        union {
            std::int64_t integer;
            double real;
            std::uint64_t offset;
        };
        std::uint32_t length;
        VarKind kind;
    };

    Cell& Slot(size_t row, size_t column) { return m_cells[row * m_columns + column]; }
    Cell MakeCell(const Variant& value);

    size_t m_columns;
    std::vector<Cell> m_cells;
    std::vector<std::int64_t> m_rowids;
    std::vector<std::uint8_t> m_deleted;
    size_t m_deletedCount = 0;
    std::string m_text;
};

} // namespace ado
