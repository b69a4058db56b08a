#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

/// The texts of one list row in one block of memory: their count, where each ends, then
/// their bytes. Copies share the block (lists live on the UI thread, so the count of
/// sharers is a plain number); every change makes a new block, so a copy taken earlier
/// keeps the texts it saw. A list and its per-row records hold each text once this way.
class TextRow {
public:
    TextRow() = default;
    explicit TextRow(const std::vector<std::string>& texts);
    TextRow(const TextRow& other);
    TextRow(TextRow&& other) noexcept : m_block(other.m_block) { other.m_block = nullptr; }
    TextRow& operator=(TextRow other) noexcept;
    ~TextRow();

    size_t Size() const;
    /// "" past the end.
    std::string_view At(size_t index) const;

    /// A copy with text `index` replaced, grown with empty texts to reach it.
    TextRow With(size_t index, std::string_view text) const;
    /// A copy with an empty text put before `index`; unchanged when `index` is past the end.
    TextRow Inserted(size_t index) const;
    /// A copy without text `index`; unchanged when there is none.
    TextRow Erased(size_t index) const;
    /// A copy of exactly `count` texts (cut, or grown with empty ones).
    TextRow Resized(size_t count) const;

private:
    static TextRow Make(const std::vector<std::string_view>& texts);
    std::vector<std::string_view> Views() const;
    std::uint32_t* Header() const { return reinterpret_cast<std::uint32_t*>(m_block); }

    char* m_block = nullptr; // [sharers][count][end of each text][bytes], or null: no texts
};

} // namespace ui
