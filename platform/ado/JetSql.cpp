#include "platform/ado/JetSql.h"

#include "platform/ado/StoredDate.h"

#include <algorithm>
#include <cctype>
#include <vector>

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
    return WithKey(sql, "rowid");
}

std::optional<std::string> JetSql::WithKey(std::string_view sql, std::string_view key) {
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
    result += ' ';
    result += key;
    result += ',';
    result += sql.substr(start + 6);
    return result;
}

namespace {

bool IsWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) || c == '_';
}

} // namespace

std::string JetSql::FoldAscii(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string JetSql::QuoteFolded(std::string_view name) {
    return QuoteIdentifier(FoldAscii(name));
}

std::string JetSql::ForServer(std::string_view sql, const std::set<std::string>& quoted) {
    std::string out;
    out.reserve(sql.size() + 8);
    for (size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'') {
            // A literal, with its doubled quotes, goes over unchanged.
            size_t end = i + 1;
            while (end < sql.size()) {
                if (sql[end] == '\'' && end + 1 < sql.size() && sql[end + 1] == '\'')
                    end += 2;
                else if (sql[end] == '\'')
                    break;
                else
                    ++end;
            }
            end = std::min(end + 1, sql.size());
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (c == '[' || c == '"') {
            const char close = c == '[' ? ']' : '"';
            std::string name;
            size_t end = i + 1;
            for (; end < sql.size(); ++end) {
                if (sql[end] == close && close == '"' && end + 1 < sql.size() &&
                    sql[end + 1] == '"') {
                    name += '"';
                    ++end;
                } else if (sql[end] == close) {
                    break;
                } else {
                    name += sql[end];
                }
            }
            out += QuoteFolded(name);
            i = std::min(end + 1, sql.size());
        } else if (IsWordByte(c)) {
            size_t end = i;
            while (end < sql.size() && IsWordByte(sql[end]))
                ++end;
            const std::string_view word = sql.substr(i, end - i);
            if (quoted.count(FoldAscii(word)))
                out += QuoteFolded(word);
            else
                out.append(word);
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string JetSql::WrittenTable(std::string_view sql) {
    // The first words decide: "delete from t", "update t", "insert into t".
    std::vector<std::string> words;
    for (size_t i = 0; i < sql.size() && words.size() < 3;) {
        if (IsSpace(sql[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        if (sql[i] == '"' || sql[i] == '[') {
            const char close = sql[i] == '[' ? ']' : '"';
            std::string name;
            for (end = i + 1; end < sql.size(); ++end) {
                if (sql[end] == close && close == '"' && end + 1 < sql.size() &&
                    sql[end + 1] == '"')
                    name += sql[end++];
                else if (sql[end] == close)
                    break;
                else
                    name += sql[end];
            }
            if (end >= sql.size())
                return {};
            words.push_back(std::move(name));
            i = end + 1;
            continue;
        }
        while (end < sql.size() && IsWordByte(sql[end]))
            ++end;
        if (end == i)
            break;
        words.emplace_back(sql.substr(i, end - i));
        i = end;
    }
    auto is = [&](size_t at, std::string_view word) {
        return words.size() > at && SameName(words[at], word);
    };
    if ((is(0, "delete") && is(1, "from")) || (is(0, "insert") && is(1, "into")))
        return words.size() > 2 ? words[2] : std::string();
    if (is(0, "update") && words.size() > 1)
        return words[1];
    return {};
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
