#pragma once

#include "platform/ado/Variant.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

/// The rows a cursor has read, kept compactly: one 16-byte cell per value, texts packed into
/// shared blocks, plus each row's rowid and a deleted mark. Cells, rowids and texts live in
/// fixed-size blocks, so a growing cursor never copies what it holds. A store that is
/// cleared or destroyed leaves its blocks to the next store of its thread (up to a few
/// MiB), so listing after listing does not fetch fresh pages from the system each time.
/// Appending and reading a value are inline: a walk does both for every value it reads.
class RowStore {
public:
    explicit RowStore(size_t columns = 0);
    ~RowStore();
    RowStore(RowStore&& other) noexcept;
    RowStore& operator=(RowStore&& other) noexcept;

    size_t Columns() const { return m_columns; }
    size_t Rows() const { return m_rowCount; }
    /// Rows not marked deleted.
    size_t LiveRows() const { return m_rowCount - m_deletedCount; }

    /// Starts a new row; its cells follow with the Push calls, one per column in order.
    void AppendRow(std::int64_t rowid) {
        if (m_rowidNext == m_rowidEnd)
            NewRowidBlock();
        *m_rowidNext++ = rowid;
        ++m_rowCount;
    }
    void PushNull() {
        Cell& cell = NextCell();
        cell.integer = 0;
        cell.length = 0;
        cell.kind = VarKind::Null;
    }
    void PushInteger(VarKind kind, std::int64_t value) {
        Cell& cell = NextCell();
        cell.integer = value;
        cell.length = 0;
        cell.kind = kind;
    }
    void PushReal(VarKind kind, double value) {
        Cell& cell = NextCell();
        cell.real = value;
        cell.length = 0;
        cell.kind = kind;
    }
    void PushText(VarKind kind, std::string_view text) {
        const std::uint64_t at = StoreText(text);
        Cell& cell = NextCell();
        cell.offset = at;
        cell.length = static_cast<std::uint32_t>(text.size());
        cell.kind = kind;
    }
    /// As PushText: the store copies every text (ViewSink keeps only these).
    void PushOwnText(VarKind kind, std::string_view text) { PushText(kind, text); }
    void Push(const Variant& value);

    Variant Get(size_t row, size_t column) const { return View(row, column).ToVariant(); }
    /// The value with its text left in the store: valid until the store changes.
    ValueView View(size_t row, size_t column) const {
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
    void Set(size_t row, size_t column, const Variant& value);
    std::int64_t RowId(size_t row) const {
        return reinterpret_cast<const std::int64_t*>(
            m_rowidBlocks[row >> kRowidBlockBits].get())[row & (kRowidBlock - 1)];
    }
    bool IsDeleted(size_t row) const { return row < m_deleted.size() && m_deleted[row] != 0; }
    void MarkDeleted(size_t row);
    void Clear();
    /// Forgets every row but keeps the first block of each kind for the next ones: a cursor
    /// that holds one row at a time reuses the same few bytes for every row.
    void Rewind();
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
    static constexpr size_t kRowidBlockBits = 13; // 8192 rowids, 64 KiB a block
    static constexpr size_t kRowidBlock = size_t{1} << kRowidBlockBits;
    static_assert(sizeof(Cell) == 16);
    static_assert(kRowidBlock * sizeof(std::int64_t) == kBlockBytes);

    using Bytes = std::unique_ptr<std::byte[]>;
    /// A block of text bytes; those of kBlockBytes come from and go back to the thread's
    /// spares.
    struct TextBlock {
        Bytes bytes;
        size_t capacity = 0;
    };
    static Bytes TakeBlock(size_t capacity);
    static void GiveBack(std::vector<Bytes>& blocks);
    static void GiveBack(std::vector<TextBlock>& blocks);
    template <class Block> static void KeepFirst(std::vector<Block>& blocks);

    Cell* CellBlock(size_t block) const { return reinterpret_cast<Cell*>(m_cellBlocks[block].get()); }
    const Cell& Slot(size_t index) const {
        return CellBlock(index >> kCellBlockBits)[index & (kCellBlock - 1)];
    }
    Cell& Slot(size_t index) { return CellBlock(index >> kCellBlockBits)[index & (kCellBlock - 1)]; }
    Cell& NextCell() {
        if (m_cellNext == m_cellEnd)
            NewCellBlock();
        return *m_cellNext++;
    }
    void NewCellBlock();
    void NewRowidBlock();
    /// Copies the bytes into a text block; the result locates them (block << 32 | offset).
    std::uint64_t StoreText(std::string_view text) {
        if (m_textBase == nullptr || m_textCapacity - m_textUsed < text.size())
            NewTextBlock(text.size());
        const std::uint64_t at =
            (static_cast<std::uint64_t>(m_textBlocks.size() - 1) << 32) | m_textUsed;
        if (!text.empty())
            std::memcpy(m_textBase + m_textUsed, text.data(), text.size());
        m_textUsed += text.size();
        return at;
    }
    void NewTextBlock(size_t atLeast);
    std::string_view TextOf(const Cell& cell) const {
        return {reinterpret_cast<const char*>(m_textBlocks[cell.offset >> 32].bytes.get()) +
                    (cell.offset & 0xFFFFFFFFu),
                cell.length};
    }
    Cell MakeCell(const Variant& value);
    /// Forgets the append positions (the blocks are gone or moved elsewhere).
    void ResetAppend();

    size_t m_columns;
    size_t m_rowCount = 0;
    std::vector<Bytes> m_cellBlocks;
    Cell* m_cellNext = nullptr;
    Cell* m_cellEnd = nullptr;
    std::vector<Bytes> m_rowidBlocks;
    std::int64_t* m_rowidNext = nullptr;
    std::int64_t* m_rowidEnd = nullptr;
    std::vector<std::uint8_t> m_deleted; // only as long as the last row marked deleted
    size_t m_deletedCount = 0;
    std::vector<TextBlock> m_textBlocks;
    char* m_textBase = nullptr; // the last text block's bytes
    size_t m_textUsed = 0;
    size_t m_textCapacity = 0;
};

} // namespace ado
