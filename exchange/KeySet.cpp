#include "exchange/KeySet.h"

#include <functional>

namespace {
constexpr size_t kFirstSlots = 1024;
} // namespace

CKeySet::CKeySet() : m_slots(kFirstSlots) {
}

std::uint64_t CKeySet::HashOf(std::string_view key) {
    const std::uint64_t hash = std::hash<std::string_view>()(key);
    return hash == 0 ? 1 : hash;
}

size_t CKeySet::Find(std::string_view key, std::uint64_t hash) const {
    const size_t mask = m_slots.size() - 1;
    // The low bits of the hash choose the slot; mix in the high ones so that a hash weak in
    // its low bits still spreads.
    size_t index = static_cast<size_t>(hash ^ (hash >> 32)) & mask;
    for (;; index = (index + 1) & mask) {
        const Slot& slot = m_slots[index];
        if (slot.nHash == 0)
            return index;
        if (slot.nHash == hash &&
            std::string_view(m_strBytes).substr(slot.nOffset, slot.nLength) == key)
            return index;
    }
}

bool CKeySet::Contains(std::string_view key) const {
    return m_slots[Find(key, HashOf(key))].nHash != 0;
}

bool CKeySet::Insert(std::string_view key) {
    const std::uint64_t hash = HashOf(key);
    size_t index = Find(key, hash);
    if (m_slots[index].nHash != 0)
        return false;
    if (2 * (m_nCount + 1) > m_slots.size()) {
        Rehash(2 * m_slots.size());
        index = Find(key, hash);
    }
    m_slots[index] = Slot{hash, m_strBytes.size(), key.size()};
    m_strBytes.append(key);
    ++m_nCount;
    return true;
}

void CKeySet::Reserve(size_t nKeys) {
    size_t nSlots = m_slots.size();
    while (nSlots < 2 * nKeys)
        nSlots *= 2;
    if (nSlots > m_slots.size())
        Rehash(nSlots);
}

void CKeySet::Rehash(size_t nSlots) {
    std::vector<Slot> old(nSlots);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.nHash == 0)
            continue;
        size_t index = static_cast<size_t>(slot.nHash ^ (slot.nHash >> 32)) & mask;
        while (m_slots[index].nHash != 0)
            index = (index + 1) & mask;
        m_slots[index] = slot;
    }
}
