#include "platform/ado/JetSql.h"

#include "platform/ado/StoredDate.h"

#include <cctype>

namespace ado {
namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A lower-case copy of the SQL text with everything inside quotes blanked out, so that
// keywords can be searched for without matching user text.
std::string MaskQuoted(std::string_view sql) {
    std::string masked(sql);
    char quote = 0;
    for (char& c : masked) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                c = ' ';
        } else if (c == '\'' || c == '"' || c == '[' || c == '`') {
            quote = c == '[' ? ']' : c;
        } else {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return masked;
}

bool HasWord(const std::string& masked, std::string_view word) {
    size_t at = 0;
    while ((at = masked.find(word, at)) != std::string::npos) {
        const bool startOk = at == 0 || !std::isalnum(static_cast<unsigned char>(masked[at - 1]));
        const size_t end = at + word.size();
        const bool endOk =
            end >= masked.size() || !std::isalnum(static_cast<unsigned char>(masked[end]));
        if (startOk && endOk)
            return true;
        at = end;
    }
    return false;
}

} // namespace

std::string JetSql::TranslateDateLiterals(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    char quote = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '#') {
            const size_t close = sql.find('#', i + 1);
            double date = 0;
            std::string stored;
            if (close != std::string_view::npos &&
                StoredDate::Parse(sql.substr(i + 1, close - i - 1), date) &&
                StoredDate::Format(date, stored)) {
                out += '\'' + stored + '\'';
                i = close;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool JetSql::IsBareName(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80 && !std::isalnum(u) && c != '_')
            return false;
    }
    return true;
}

std::string JetSql::QuoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

std::optional<std::string> JetSql::WithRowId(std::string_view sql) {
    size_t start = 0;
    while (start < sql.size() && IsSpace(sql[start]))
        ++start;
    const std::string masked = MaskQuoted(sql);
    if (masked.compare(start, 6, "select") != 0 || start + 6 >= sql.size() ||
        !IsSpace(sql[start + 6]))
        return std::nullopt;
    for (std::string_view word : {"distinct", "group", "union", "intersect", "except", "join"})
        if (HasWord(masked, word))
            return std::nullopt;
    std::string result(sql.substr(0, start + 6));
    result += " rowid,";
    result += sql.substr(start + 6);
    return result;
}

bool JetSql::SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool JetSql::IsEndOfText(std::string_view tail) {
    for (char c : tail)
        if (!IsSpace(c) && c != ';')
            return false;
    return true;
}

} // namespace ado
