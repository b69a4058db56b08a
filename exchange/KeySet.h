#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A set of byte strings for asking, line after line of a large import, whether a record was
/// seen before. The keys are packed one after another in one buffer and found through an
/// open-addressed table of their hashes, so a look-up costs about one cache miss and adding
/// a key allocates nothing most of the time.
class CKeySet {
public:
    CKeySet();

    bool Contains(std::string_view key) const;
    /// False when the key was there already.
    bool Insert(std::string_view key);
    size_t Size() const { return m_nCount; }
    /// Makes room for `nKeys` keys in all, so that adding up to that many never rehashes.
    void Reserve(size_t nKeys);

private:
    struct Slot {
        std::uint64_t nHash = 0; // 0 marks a free slot
        std::uint64_t nOffset = 0;
        std::uint64_t nLength = 0;
    };

    static std::uint64_t HashOf(std::string_view key);
    /// The slot holding the key, or the free slot where it belongs.
    size_t Find(std::string_view key, std::uint64_t hash) const;
    void Rehash(size_t nSlots);

    std::string m_strBytes;
    std::vector<Slot> m_slots; // a power of two in size, never more than half full
    size_t m_nCount = 0;
};
