#include "exchange/CellText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <utility>

namespace {

// Unicode 15's format characters (general category Cf), as ranges.
constexpr std::pair<char32_t, char32_t> kFormatCharacters[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool IsFormatCharacter(char32_t c) {
    const auto range = std::upper_bound(
        std::begin(kFormatCharacters), std::end(kFormatCharacters), c,
        [](char32_t value, const std::pair<char32_t, char32_t>& r) { return value < r.first; });
    return range != std::begin(kFormatCharacters) && c <= std::prev(range)->second;
}

// The length of the well-formed UTF-8 sequence at `i` and its code point; 1 and no code
// point (U+FFFF stands for none) for a byte that starts none, which is kept as it is.
std::size_t Decode(std::string_view text, std::size_t i, char32_t& c) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char first = byte(0);
    const std::size_t length = first < 0x80 ? 1 : first >= 0xC2 && first < 0xE0 ? 2
                                              : first >= 0xE0 && first < 0xF0   ? 3
                                              : first >= 0xF0 && first < 0xF5   ? 4
                                                                                : 0;
    c = 0xFFFF;
    if (length == 0 || i + length > text.size())
        return 1;
    char32_t value = length == 1 ? first : first & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return 1;
        value = value << 6 | (byte(k) & 0x3F);
    }
    c = value;
    return length;
}

bool IsFormulaStart(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// The bytes that begin a format character's UTF-8 form. A name without any of them (ASCII
// and nearly all Chinese) has none to drop, and is only trimmed.
constexpr std::array<bool, 256> kFormatLeadBytes = [] {
    std::array<bool, 256> lead{};
    for (const unsigned char byte : {0xC2, 0xD8, 0xDB, 0xDC, 0xE0, 0xE1, 0xE2, 0xEF, 0xF0, 0xF3})
        lead[byte] = true;
    return lead;
}();

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

void AssignCleanName(std::string& clean, std::string_view text) {
    const bool bPlain = std::none_of(text.begin(), text.end(), [](char c) {
        return kFormatLeadBytes[static_cast<unsigned char>(c)];
    });
    if (bPlain) {
        clean.assign(TrimBlanks(text));
        return;
    }
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t length = Decode(text, i, c);
        if (!IsFormatCharacter(c))
            kept.append(text.substr(i, length));
        i += length;
    }
    clean.assign(TrimBlanks(kept));
}

std::string CleanName(std::string_view text) {
    std::string clean;
    AssignCleanName(clean, text);
    return clean;
}

std::string GuardFormula(std::string_view text) {
    if (!text.empty() && (IsFormulaStart(text.front()) || text.front() == '\''))
        return "'" + std::string(text);
    return std::string(text);
}

std::string_view StripFormulaGuard(std::string_view text) {
    if (text.size() >= 2 && text.front() == '\'' && (IsFormulaStart(text[1]) || text[1] == '\''))
        text.remove_prefix(1);
    return text;
}
