#include "exchange/CsvReader.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// libcsv's state before the first field of a row.
constexpr int kRowNotBegun = 0;

// A line is fed in pieces of at most this much, so that a long field never grows libcsv's
// buffer far past kMaxCsvField.
constexpr std::size_t kPiece = 64 * 1024;

// Per-line counts of each candidate outside quotes, over the first non-blank lines.
constexpr std::array<char, 3> kDelimiters = {',', ';', '\t'};

} // namespace

char DetectDelimiter(std::string_view text) {
    constexpr int kLines = 10;
    std::array<std::vector<int>, kDelimiters.size()> counts;
    std::array<int, kDelimiters.size()> current = {};
    bool quoted = false;
    bool blank = true;
    int lines = 0;
    for (size_t i = 0; i <= text.size() && lines < kLines; ++i) {
        const char c = i < text.size() ? text[i] : '\n';
        if (c == '"') {
            quoted = !quoted;
            blank = false;
        } else if (quoted) {
            continue;
        } else if (c == '\n' || c == '\r') {
            if (!blank) {
                for (size_t d = 0; d < kDelimiters.size(); ++d)
                    counts[d].push_back(current[d]);
                ++lines;
            }
            current = {};
            blank = true;
        } else {
            blank = false;
            for (size_t d = 0; d < kDelimiters.size(); ++d)
                current[d] += c == kDelimiters[d];
        }
    }
    char best = ',';
    int bestScore = 0;
    for (size_t d = 0; d < kDelimiters.size(); ++d) {
        if (counts[d].empty())
            continue;
        // Even splitting counts most; then how many fields it makes.
        const auto [low, high] = std::minmax_element(counts[d].begin(), counts[d].end());
        const int score = *low > 0 ? (*low == *high ? 100000 : 1000) + *low : 0;
        if (score > bestScore) {
            bestScore = score;
            best = kDelimiters[d];
        }
    }
    return best;
}

CCsvReader::CCsvReader(std::string_view text, char delimiter)
    : m_parser(std::make_unique<csv_parser>()), m_text(text) {
    csv_init(m_parser.get(), CSV_STRICT | CSV_STRICT_FINI);
    csv_set_delim(m_parser.get(), static_cast<unsigned char>(delimiter));
}

CCsvReader::~CCsvReader() {
    csv_free(m_parser.get());
}

void CCsvReader::OnField(void* data, std::size_t size, void* self) {
    auto* reader = static_cast<CCsvReader*>(self);
    // The strings of an earlier row are written over: most fields fit where one was.
    std::vector<std::string>& fields = reader->m_fields;
    if (size > kMaxCsvField) {
        reader->m_bFieldTooLong = true;
        size = kMaxCsvField + 1;
    }
    if (reader->m_nFields < fields.size())
        fields[reader->m_nFields].assign(static_cast<const char*>(data), size);
    else
        fields.emplace_back(static_cast<const char*>(data), size);
    ++reader->m_nFields;
}

void CCsvReader::OnRowEnd(int, void* self) {
    auto* reader = static_cast<CCsvReader*>(self);
    reader->m_fields.resize(reader->m_nFields);
    reader->m_ready.push_back(
        CsvRow{reader->m_nRowLine, std::move(reader->m_fields), reader->m_bFieldTooLong});
    reader->m_bFieldTooLong = false;
    reader->m_fields = std::move(reader->m_spare);
    reader->m_spare.clear();
    reader->m_nFields = 0;
}

// Where the line from `from` ends: after its CR, its LF or its CR LF, as every system
// writes them; the text's end for its last line. (find_first_of looks up each byte in the
// set of two: several times slower on a large file.)
size_t CCsvReader::LineEnd(size_t from) const {
    const char* const text = m_text.data();
    size_t end = from;
    while (end < m_text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    if (end == m_text.size())
        return end;
    return end + (text[end] == '\r' && end + 1 < m_text.size() && text[end + 1] == '\n' ? 2 : 1);
}

// Most lines of a file hold no quote: they are split here as libcsv would split them (blanks
// around a field dropped, a line of blanks no row), without its per-byte work and the
// copies of its buffer. False, with nothing read, for a line with a quote or one longer than
// a piece: libcsv reads those.
bool CCsvReader::SplitPlainLine() {
    const char* const text = m_text.data();
    const char delimiter = static_cast<char>(m_parser->delim_char);
    const auto blank = [delimiter](char c) { return (c == ' ' || c == '\t') && c != delimiter; };
    const size_t limit = std::min(m_text.size(), m_nOffset + kPiece);
    size_t nFields = 0;
    bool bRow = false;
    size_t fieldStart = m_nOffset;
    size_t at = m_nOffset;
    for (;; ++at) {
        if (at == limit && limit != m_text.size())
            return false;
        const char c = at < limit ? text[at] : '\n';
        if (c == '"')
            return false;
        const bool bLineEnd = c == '\n' || c == '\r';
        if (c != delimiter && !bLineEnd) {
            bRow = bRow || !blank(c);
            continue;
        }
        size_t first = fieldStart;
        size_t last = at;
        while (first < last && blank(text[first]))
            ++first;
        while (last > first && blank(text[last - 1]))
            --last;
        if (nFields < m_fields.size())
            m_fields[nFields].assign(text + first, last - first);
        else
            m_fields.emplace_back(text + first, last - first);
        ++nFields;
        fieldStart = at + 1;
        if (c == delimiter) {
            bRow = true;
            continue;
        }
        break;
    }
    if (bRow) {
        m_nFields = nFields;
        OnRowEnd(0, this);
    }
    m_nOffset = at < m_text.size() ? LineEnd(at) : m_text.size();
    return true;
}

// Feeds one line of the text, so that every row knows the line it starts on.
void CCsvReader::Feed() {
    if (m_nOffset >= m_text.size()) {
        if (csv_fini(m_parser.get(), OnField, OnRowEnd, this) != 0)
            m_strError = "第 " + std::to_string(m_nRowLine) + " 行的引号没有结束";
        m_bFinished = true;
        return;
    }
    if (m_bLineStart) {
        ++m_nLine;
        if (m_parser->pstate == kRowNotBegun)
            m_nRowLine = m_nLine;
    }
    if (m_bLineStart && m_parser->pstate == kRowNotBegun && SplitPlainLine())
        return;
    // The line ends after its CR, its LF or its CR LF, as every system writes them.
    size_t end = LineEnd(m_nOffset);
    const size_t piece = std::min(end, m_nOffset + kPiece);
    m_bLineStart = piece == end;
    const size_t length = piece - m_nOffset;
    if (csv_parse(m_parser.get(), m_text.data() + m_nOffset, length, OnField, OnRowEnd, this) !=
        length) {
        m_strError = "第 " + std::to_string(m_nLine) + " 行的引号用法不对";
        m_bFinished = true;
    }
    // A field still being read that is already too long: what it held so far is dropped
    // (its trailing blanks' count kept, which libcsv takes off at the field's end).
    if (m_parser->entry_pos > kMaxCsvField) {
        m_bFieldTooLong = true;
        m_parser->entry_pos = m_parser->spaces;
    }
    m_nOffset = piece;
}

bool CCsvReader::Next(CsvRow& row) {
    while (m_ready.empty() && !m_bFinished)
        Feed();
    if (m_ready.empty() || !m_strError.empty())
        return false;
    row.nLine = m_ready.front().nLine;
    row.bFieldTooLong = m_ready.front().bFieldTooLong;
    // The caller's old fields come back for the row after next.
    std::swap(row.fields, m_ready.front().fields);
    m_spare = std::move(m_ready.front().fields);
    m_ready.pop_front();
    return true;
}

// A line without quotes split in place: the line's end and its delimiters found a block at a
// time, the blanks around each field dropped as libcsv drops them, a line of blanks no row.
// Quoted for a line with a quote or one a piece long: libcsv reads those.
CCsvReader::Plain CCsvReader::SplitPlainViews(std::vector<std::string_view>& fields) {
    const char* const begin = m_text.data() + m_nOffset;
    const size_t left = m_text.size() - m_nOffset;
    const size_t scan = std::min(left, kPiece);
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', scan));
    if (!lf && scan < left)
        return Plain::Quoted;
    size_t length = lf ? static_cast<size_t>(lf - begin) : scan;
    if (const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', length)))
        length = static_cast<size_t>(cr - begin);
    const std::string_view line(begin, length);
    if (line.find('"') != std::string_view::npos)
        return Plain::Quoted;
    const char delimiter = static_cast<char>(m_parser->delim_char);
    const auto blank = [delimiter](char c) { return c != delimiter && (c == ' ' || c == '\t'); };
    fields.clear();
    bool bRow = false;
    const char* const end = begin + length;
    for (const char* at = begin;;) {
        const auto* stop =
            static_cast<const char*>(std::memchr(at, delimiter, static_cast<size_t>(end - at)));
        const char* last = stop ? stop : end;
        while (at < last && blank(*at))
            ++at;
        while (last > at && blank(last[-1]))
            --last;
        bRow = bRow || at != last || stop;
        fields.emplace_back(at, static_cast<size_t>(last - at));
        if (!stop)
            break;
        at = stop + 1;
    }
    ++m_nLine;
    m_nRowLine = m_nLine;
    m_nOffset = m_nOffset + length < m_text.size() ? LineEnd(m_nOffset + length) : m_text.size();
    return bRow ? Plain::Row : Plain::Blank;
}

bool CCsvReader::NextFields(std::vector<std::string_view>& fields, std::size_t& nLine) {
    while (m_ready.empty() && !m_bFinished && m_bLineStart && m_parser->pstate == kRowNotBegun &&
           m_nOffset < m_text.size()) {
        const Plain plain = SplitPlainViews(fields);
        if (plain == Plain::Row) {
            nLine = m_nRowLine;
            return true;
        }
        if (plain == Plain::Quoted)
            break;
    }
    if (!Next(m_row))
        return false;
    fields.assign(m_row.fields.begin(), m_row.fields.end());
    nLine = m_row.nLine;
    return true;
}

double CCsvReader::Progress() const {
    return m_text.empty() ? 1.0 : static_cast<double>(m_nOffset) / m_text.size();
}
