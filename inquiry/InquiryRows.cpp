#include "inquiry/InquiryRows.h"

#include "data/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

namespace {

// The largest number of at most 18 digits: IsPlainNumber takes no longer texts.
constexpr std::int64_t kLargestPlainId = 999999999999999999;

// Whether the text is the one std::to_chars gives for its number, so that the number can
// stand for it: digits only, no leading zero, short enough for 64 bits.
bool IsPlainNumber(const std::string& text, std::int64_t& nValue) {
    if (text.empty() || text.size() > 18 || (text[0] == '0' && text.size() > 1))
        return false;
    nValue = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        nValue = nValue * 10 + (c - '0');
    }
    return true;
}

} // namespace

void CInquiryRows::Clear(const std::string& strDatePattern) {
    m_rows.clear();
    m_texts.clear();
    m_textIndex.clear();
    for (auto& slots : m_known)
        std::fill(std::begin(slots), std::end(slots), Known{});
    m_accounts = {};
    m_formatter = CInquiryRowFormatter(strDatePattern);
}

std::uint32_t CInquiryRows::Keep(std::string_view text, Column column) {
    // Loads of a fixed size: a name is compared in a few instructions, without a call. Up to
    // 16 bytes, the length and the two words hold the whole text (the loads may overlap).
    std::uint64_t nHead = 0, nTail = 0;
    const char* p = text.data();
    const size_t n = text.size();
    if (n >= 8) {
        std::memcpy(&nHead, p, 8);
        std::memcpy(&nTail, p + n - 8, 8);
    } else if (n >= 4) {
        std::uint32_t nFirst = 0, nLast = 0;
        std::memcpy(&nFirst, p, 4);
        std::memcpy(&nLast, p + n - 4, 4);
        nHead = nFirst | std::uint64_t{nLast} << 32;
    } else if (n > 0) {
        const auto byte = [p](size_t at) { return std::uint64_t{static_cast<unsigned char>(p[at])}; };
        nHead = byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16;
    }
    const auto nLength = static_cast<std::uint32_t>(text.size());
    const std::uint64_t nMix = (nHead ^ (nTail * 0x9E3779B97F4A7C15ULL) ^ nLength) *
                               0xFF51AFD7ED558CCDULL;
    Known& slot = m_known[column][nMix >> 60];
    if (slot.nIndex != kNone && slot.nHead == nHead && slot.nTail == nTail &&
        slot.nLength == nLength &&
        (nLength <= 2 * sizeof nHead ||
         std::memcmp(m_texts[slot.nIndex].data() + sizeof nHead, text.data() + sizeof nHead,
                     nLength - 2 * sizeof nHead) == 0))
        return slot.nIndex;
    std::uint32_t nIndex = 0;
    if (const auto found = m_textIndex.find(std::string(text)); found != m_textIndex.end()) {
        nIndex = found->second;
    } else {
        nIndex = static_cast<std::uint32_t>(m_texts.size());
        m_texts.emplace_back(text);
        m_textIndex.emplace(m_texts.back(), nIndex);
    }
    slot = Known{nHead, nTail, nLength, nIndex};
    return nIndex;
}

void CInquiryRows::KeepId(std::int64_t nId, Row& row) {
    // The number stands for its text when the text would read back as the same number.
    if (nId >= 0 && nId <= kLargestPlainId) {
        row.nId = nId;
        row.nIdText = kNone;
        return;
    }
    NumberText::Itoa(nId, m_strIdText);
    row.nIdText = Keep(m_strIdText, ColumnId);
}

std::uint32_t CInquiryRows::Add(const InquiryRecord& record) {
    Row row{};
    row.dtRecord = record.dtRecord;
    row.dAmount = record.dAmount;
    if (record.bNumberId)
        KeepId(record.nId, row);
    else
        row.nIdText = IsPlainNumber(record.strId, row.nId) ? kNone : Keep(record.strId, ColumnId);
    row.nMember = Keep(record.member, ColumnMember);
    row.nItem = Keep(record.item, ColumnItem);
    row.nDateText = record.bDate ? kNone : Keep(record.strStoredDate, ColumnDate);
    row.bPictures = record.bPictures;
    m_rows.push_back(row);
    return static_cast<std::uint32_t>(m_rows.size() - 1);
}

void CInquiryRows::NameAccounts(InquiryAccounts accounts) {
    // Most rows are never shown: a link is looked up only for a cell asked for, not for
    // every row of the listing.
    m_accounts = std::move(accounts);
}

std::string CInquiryRows::AccountName(const Row& row) const {
    std::int64_t nId = row.nId;
    if (row.nIdText != kNone) {
        // A number kept as its text (a negative one); other texts ("007") name no record.
        const std::string& text = m_texts[row.nIdText];
        const auto result = std::from_chars(text.data(), text.data() + text.size(), nId);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
            NumberText::Itoa(nId) != text)
            return {};
    }
    const auto& links = m_accounts.links;
    const auto found =
        std::lower_bound(links.begin(), links.end(), nId,
                         [](const auto& link, std::int64_t n) { return link.first < n; });
    if (found == links.end() || found->first != nId)
        return {};
    return m_accounts.names[found->second];
}

std::string CInquiryRows::Text(std::uint32_t nRow, int nColumn) const {
    if (nRow >= m_rows.size())
        return {};
    const Row& row = m_rows[nRow];
    switch (nColumn) {
    case ColumnId: {
        if (row.nIdText != kNone)
            return m_texts[row.nIdText];
        char text[24];
        const auto result = std::to_chars(text, text + sizeof text, row.nId);
        return std::string(text, result.ptr);
    }
    case ColumnAmount:
        return CInquiryRowFormatter::Amount(row.dAmount);
    case ColumnMember:
        return m_texts[row.nMember];
    case ColumnDate:
        return row.nDateText != kNone ? m_texts[row.nDateText] : m_formatter.Date(row.dtRecord);
    case ColumnItem:
        return m_texts[row.nItem];
    case ColumnAccount:
        return AccountName(row);
    case ColumnPictures:
        return row.bPictures ? m_strPictureMark : std::string();
    default:
        return {};
    }
}
