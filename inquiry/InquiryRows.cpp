#include "inquiry/InquiryRows.h"

#include "data/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cstring>

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
    for (std::vector<Known>& known : m_known)
        known.clear();
    m_formatter = CInquiryRowFormatter(strDatePattern);
}

std::uint32_t CInquiryRows::Keep(std::string_view text, Column column) {
    std::uint64_t nHead = 0;
    std::memcpy(&nHead, text.data(), std::min(text.size(), sizeof nHead));
    const auto nLength = static_cast<std::uint32_t>(text.size());
    std::vector<Known>& known = m_known[column];
    for (const Known& entry : known) {
        if (entry.nHead == nHead && entry.nLength == nLength &&
            (nLength <= sizeof nHead ||
             std::memcmp(m_texts[entry.nIndex].data() + sizeof nHead, text.data() + sizeof nHead,
                         nLength - sizeof nHead) == 0))
            return entry.nIndex;
    }
    std::uint32_t nIndex = 0;
    if (const auto found = m_textIndex.find(std::string(text)); found != m_textIndex.end()) {
        nIndex = found->second;
    } else {
        nIndex = static_cast<std::uint32_t>(m_texts.size());
        m_texts.emplace_back(text);
        m_textIndex.emplace(m_texts.back(), nIndex);
    }
    if (known.size() < kFirstTexts)
        known.push_back(Known{nHead, nLength, nIndex});
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
    row.nMember = Keep(record.strMember, ColumnMember);
    row.nItem = Keep(record.strItem, ColumnItem);
    row.nDateText = record.bDate ? kNone : Keep(record.strStoredDate, ColumnDate);
    row.nAccount = Keep(record.strAccount, ColumnAccount);
    row.bPictures = record.bPictures;
    m_rows.push_back(row);
    return static_cast<std::uint32_t>(m_rows.size() - 1);
}

void CInquiryRows::NameAccounts(const InquiryAccounts& accounts) {
    std::vector<std::uint32_t> kept;
    for (const std::string& name : accounts.names)
        kept.push_back(Keep(name, ColumnAccount));
    const auto& links = accounts.links;
    // A listing mostly runs in record-number order: the link after the last one found is
    // tried first, before a search.
    size_t nNext = 0;
    for (Row& row : m_rows) {
        std::int64_t nId = row.nId;
        if (row.nIdText != kNone) {
            // A number kept as its text (a negative one); other texts ("007") name no record.
            const std::string& text = m_texts[row.nIdText];
            const auto result = std::from_chars(text.data(), text.data() + text.size(), nId);
            if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
                NumberText::Itoa(nId) != text)
                continue;
        }
        size_t nAt = nNext;
        if (nAt >= links.size() || links[nAt].first != nId)
            nAt = static_cast<size_t>(
                std::lower_bound(links.begin(), links.end(), nId,
                                 [](const auto& link, std::int64_t n) { return link.first < n; }) -
                links.begin());
        if (nAt < links.size() && links[nAt].first == nId) {
            row.nAccount = kept[links[nAt].second];
            nNext = nAt + 1;
        }
    }
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
        return m_texts[row.nAccount];
    case ColumnPictures:
        return row.bPictures ? m_strPictureMark : std::string();
    default:
        return {};
    }
}
