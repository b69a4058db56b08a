#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

/// Record numbers looked up once per listed row, a hundred thousand times for a year: a bit
/// per number where the numbers are small, as a ledger's own are, else a hash set.
class CRecordNumberSet {
public:
    CRecordNumberSet() = default;
    explicit CRecordNumberSet(std::unordered_set<std::int64_t> numbers);

    bool Empty() const { return m_numbers.empty(); }
    bool Contains(std::int64_t nNumber) const {
        if (m_bits.empty())
            return m_numbers.contains(nNumber);
        return nNumber >= 0 && static_cast<std::uint64_t>(nNumber) < m_bits.size() &&
               m_bits[static_cast<std::size_t>(nNumber)];
    }

private:
    std::unordered_set<std::int64_t> m_numbers;
    std::vector<bool> m_bits; // empty: look in m_numbers
};
