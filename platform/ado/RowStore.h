#pragma once

#include "platform/ado/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

/// The rows a cursor has read, kept compactly: one 16-byte cell per value, texts packed into
/// shared blocks, plus each row's rowid and a deleted mark. Cells and texts live in
/// fixed-size blocks, so a growing cursor never copies what it holds. A store that is
/// cleared or destroyed leaves its blocks to the next store of its thread (up to a few
/// MiB), so listing after listing does not fetch fresh pages from the system each time.
class RowStore {
public:
    explicit RowStore(size_t columns = 0);
    ~RowStore();
    RowStore(RowStore&&) noexcept = default;
    RowStore& operator=(RowStore&& other) noexcept;

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

    Variant Get(size_t row, size_t column) const { return View(row, column).ToVariant(); }
    /// The value with its text left in the store: valid until the store changes.
    ValueView View(size_t row, size_t column) const;
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

    static constexpr size_t kCellBlockBits = 12; // 4096 cells, 64 KiB a block
    static constexpr size_t kCellBlock = size_t{1} << kCellBlockBits;
    static constexpr size_t kBlockBytes = kCellBlock * 16;
    static_assert(sizeof(Cell) == 16);

    /// A block of bytes; those of kBlockBytes come from and go back to the thread's spares.
    struct Block {
        std::unique_ptr<std::byte[]> bytes;
        size_t capacity = 0;
        size_t used = 0;
    };
    static Block TakeBlock(size_t capacity);
    static void GiveBack(std::vector<Block>& blocks);

    Cell* CellBlock(size_t block) const {
        return reinterpret_cast<Cell*>(m_cellBlocks[block].bytes.get());
    }
    Cell& Slot(size_t index) {
        return CellBlock(index >> kCellBlockBits)[index & (kCellBlock - 1)];
    }
    const Cell& Slot(size_t index) const {
        return CellBlock(index >> kCellBlockBits)[index & (kCellBlock - 1)];
    }
    void PushCell(const Cell& cell);
    /// Copies the bytes into a text block; the result locates them (block << 32 | offset).
    std::uint64_t StoreText(std::string_view text);
    std::string_view TextOf(const Cell& cell) const;
    Cell MakeCell(const Variant& value);

    size_t m_columns;
    size_t m_cellCount = 0;
    std::vector<Block> m_cellBlocks;
    std::vector<std::int64_t> m_rowids;
    std::vector<std::uint8_t> m_deleted;
    size_t m_deletedCount = 0;
    std::vector<Block> m_textBlocks;
};

} // namespace ado
