#include "platform/ado/RowStore.h"

#include <algorithm>
#include <cstring>
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
    GiveBack(m_textBlocks);
}

RowStore& RowStore::operator=(RowStore&& other) noexcept {
    if (this != &other) {
        Clear();
        m_columns = other.m_columns;
        m_cellCount = std::exchange(other.m_cellCount, 0);
        m_cellBlocks = std::move(other.m_cellBlocks);
        m_rowids = std::move(other.m_rowids);
        m_deleted = std::move(other.m_deleted);
        m_deletedCount = std::exchange(other.m_deletedCount, 0);
        m_textBlocks = std::move(other.m_textBlocks);
    }
    return *this;
}

RowStore::Block RowStore::TakeBlock(size_t capacity) {
    Block block;
    block.capacity = capacity;
    auto& spares = Spares();
    if (capacity == kBlockBytes && !spares.empty()) {
        block.bytes = std::move(spares.back());
        spares.pop_back();
    } else {
        block.bytes = std::make_unique_for_overwrite<std::byte[]>(capacity);
    }
    return block;
}

void RowStore::GiveBack(std::vector<Block>& blocks) {
    auto& spares = Spares();
    for (Block& block : blocks)
        if (block.capacity == kBlockBytes && spares.size() < kMaxSpares)
            spares.push_back(std::move(block.bytes));
    blocks.clear();
}

void RowStore::AppendRow(std::int64_t rowid) {
    m_rowids.push_back(rowid);
    m_deleted.push_back(0);
}

void RowStore::PushCell(const Cell& cell) {
    if ((m_cellCount & (kCellBlock - 1)) == 0 &&
        (m_cellCount >> kCellBlockBits) == m_cellBlocks.size())
        m_cellBlocks.push_back(TakeBlock(kBlockBytes));
    Slot(m_cellCount++) = cell;
}

std::uint64_t RowStore::StoreText(std::string_view text) {
    if (m_textBlocks.empty() ||
        m_textBlocks.back().capacity - m_textBlocks.back().used < text.size())
        m_textBlocks.push_back(TakeBlock(std::max(kBlockBytes, text.size())));
    Block& block = m_textBlocks.back();
    const std::uint64_t at =
        (static_cast<std::uint64_t>(m_textBlocks.size() - 1) << 32) | block.used;
    if (!text.empty())
        std::memcpy(block.bytes.get() + block.used, text.data(), text.size());
    block.used += text.size();
    return at;
}

std::string_view RowStore::TextOf(const Cell& cell) const {
    const Block& block = m_textBlocks[cell.offset >> 32];
    return {reinterpret_cast<const char*>(block.bytes.get()) + (cell.offset & 0xFFFFFFFFu),
            cell.length};
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
    GiveBack(m_cellBlocks);
    m_cellCount = 0;
    m_rowids.clear();
    m_deleted.clear();
    m_deletedCount = 0;
    GiveBack(m_textBlocks);
}

size_t RowStore::MemoryUsed() const {
    size_t text = 0;
    for (const auto& block : m_textBlocks)
        text += block.capacity;
    return m_cellBlocks.size() * kBlockBytes + m_rowids.capacity() * sizeof(std::int64_t) +
           m_deleted.capacity() + text;
}

} // namespace ado
