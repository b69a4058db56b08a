#include "inquiry/RecordNumberSet.h"

#include <algorithm>
#include <utility>

namespace {

// A megabyte of bits at most: numbers beyond are left to the hash set.
constexpr std::int64_t kMostBits = std::int64_t{1} << 23;

} // namespace

CRecordNumberSet::CRecordNumberSet(std::unordered_set<std::int64_t> numbers)
    : m_numbers(std::move(numbers)) {
    if (m_numbers.empty())
        return;
    const auto [least, most] = std::minmax_element(m_numbers.begin(), m_numbers.end());
    if (*least < 0 || *most >= kMostBits)
        return;
    m_bits.assign(static_cast<std::size_t>(*most) + 1, false);
    for (const std::int64_t nNumber : m_numbers)
        m_bits[static_cast<std::size_t>(nNumber)] = true;
}
