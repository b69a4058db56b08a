#include "platform/ado/RowStore.h"

#include <algorithm>
#include <utility>

namespace ado {
namespace {

// Spare blocks of the thread's stores; a 100,000-row year fits in what is kept.
constexpr size_t kMaxSpares = 256;

std::vector<std::unique_ptr<std::byte[]>>& Spares() {
    thread_local std::vector<std::unique_ptr<std::byte[]>> spares;
    return spares;
}

} // namespace

RowStore::RowStore(size_t columns) : m_columns(columns) {
}

RowStore::~RowStore() {
    GiveBack(m_cellBlocks);
    GiveBack(m_rowidBlocks);
    GiveBack(m_textBlocks);
}

RowStore::RowStore(RowStore&& other) noexcept : m_columns(other.m_columns) {
    *this = std::move(other);
}

RowStore& RowStore::operator=(RowStore&& other) noexcept {
    if (this != &other) {
        Clear();
        m_columns = other.m_columns;
        m_rowCount = std::exchange(other.m_rowCount, 0);
        m_cellBlocks = std::move(other.m_cellBlocks);
        m_cellNext = std::exchange(other.m_cellNext, nullptr);
        m_cellEnd = std::exchange(other.m_cellEnd, nullptr);
        m_rowidBlocks = std::move(other.m_rowidBlocks);
        m_rowidNext = std::exchange(other.m_rowidNext, nullptr);
        m_rowidEnd = std::exchange(other.m_rowidEnd, nullptr);
        m_deleted = std::move(other.m_deleted);
        m_deletedCount = std::exchange(other.m_deletedCount, 0);
        m_textBlocks = std::move(other.m_textBlocks);
        m_textBase = std::exchange(other.m_textBase, nullptr);
        m_textUsed = std::exchange(other.m_textUsed, 0);
        m_textCapacity = std::exchange(other.m_textCapacity, 0);
        other.Clear();
    }
    return *this;
}

RowStore::Bytes RowStore::TakeBlock(size_t capacity) {
    auto& spares = Spares();
    if (capacity == kBlockBytes && !spares.empty()) {
        Bytes bytes = std::move(spares.back());
        spares.pop_back();
        return bytes;
    }
    return std::make_unique_for_overwrite<std::byte[]>(capacity);
}

void RowStore::GiveBack(std::vector<Bytes>& blocks) {
    auto& spares = Spares();
    for (Bytes& block : blocks)
        if (spares.size() < kMaxSpares)
            spares.push_back(std::move(block));
    blocks.clear();
}

void RowStore::GiveBack(std::vector<TextBlock>& blocks) {
    auto& spares = Spares();
    for (TextBlock& block : blocks)
        if (block.capacity == kBlockBytes && spares.size() < kMaxSpares)
            spares.push_back(std::move(block.bytes));
    blocks.clear();
}

void RowStore::NewCellBlock() {
    m_cellBlocks.push_back(TakeBlock(kBlockBytes));
    m_cellNext = CellBlock(m_cellBlocks.size() - 1);
    m_cellEnd = m_cellNext + kCellBlock;
}

void RowStore::NewRowidBlock() {
    m_rowidBlocks.push_back(TakeBlock(kBlockBytes));
    m_rowidNext = reinterpret_cast<std::int64_t*>(m_rowidBlocks.back().get());
    m_rowidEnd = m_rowidNext + kRowidBlock;
}

void RowStore::NewTextBlock(size_t atLeast) {
    const size_t capacity = std::max(kBlockBytes, atLeast);
    m_textBlocks.push_back(TextBlock{TakeBlock(capacity), capacity});
    m_textBase = reinterpret_cast<char*>(m_textBlocks.back().bytes.get());
    m_textUsed = 0;
    m_textCapacity = capacity;
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
    const Cell cell = MakeCell(value);
    NextCell() = cell;
}

void RowStore::Set(size_t row, size_t column, const Variant& value) {
    // A replaced text stays in the buffer unused; cursors live for one operation.
    const Cell cell = MakeCell(value);
    Slot(row * m_columns + column) = cell;
}

void RowStore::MarkDeleted(size_t row) {
    if (m_deleted.size() <= row)
        m_deleted.resize(row + 1, 0);
    if (!m_deleted[row]) {
        m_deleted[row] = 1;
        ++m_deletedCount;
    }
}

void RowStore::ResetAppend() {
    m_cellNext = m_cellEnd = nullptr;
    m_rowidNext = m_rowidEnd = nullptr;
    m_textBase = nullptr;
    m_textUsed = m_textCapacity = 0;
}

void RowStore::Clear() {
    GiveBack(m_cellBlocks);
    GiveBack(m_rowidBlocks);
    GiveBack(m_textBlocks);
    ResetAppend();
    m_rowCount = 0;
    m_deleted.clear();
    m_deletedCount = 0;
}

template <class Block> void RowStore::KeepFirst(std::vector<Block>& blocks) {
    if (blocks.size() <= 1)
        return;
    Block first = std::move(blocks.front());
    blocks.erase(blocks.begin());
    GiveBack(blocks);
    blocks.push_back(std::move(first));
}

void RowStore::Rewind() {
    // A walk rewinds at every row: most often there is only the first block of each kind.
    if (m_cellBlocks.size() > 1)
        KeepFirst(m_cellBlocks);
    if (m_rowidBlocks.size() > 1)
        KeepFirst(m_rowidBlocks);
    if (m_textBlocks.size() > 1)
        KeepFirst(m_textBlocks);
    ResetAppend();
    if (!m_cellBlocks.empty()) {
        m_cellNext = CellBlock(0);
        m_cellEnd = m_cellNext + kCellBlock;
    }
    if (!m_rowidBlocks.empty()) {
        m_rowidNext = reinterpret_cast<std::int64_t*>(m_rowidBlocks.front().get());
        m_rowidEnd = m_rowidNext + kRowidBlock;
    }
    if (!m_textBlocks.empty()) {
        m_textBase = reinterpret_cast<char*>(m_textBlocks.front().bytes.get());
        m_textCapacity = m_textBlocks.front().capacity;
    }
    m_rowCount = 0;
    m_deleted.clear();
    m_deletedCount = 0;
}

size_t RowStore::MemoryUsed() const {
    size_t text = 0;
    for (const auto& block : m_textBlocks)
        text += block.capacity;
    return (m_cellBlocks.size() + m_rowidBlocks.size()) * kBlockBytes + m_deleted.capacity() +
           text;
}

} // namespace ado
