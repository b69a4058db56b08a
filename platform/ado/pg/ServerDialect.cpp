#include "platform/ado/pg/ServerDialect.h"

#include <cctype>
#include <cstdlib>
#include <set>
#include <vector>

namespace ado {
namespace {

// Words the server reserves that the program's texts may use as column names, as Jet
// allows: only those that really are columns of the ledger get quoted.
const std::set<std::string> kReservedWords = {
    "all",
    "analyse",
    "analyze",
    "and",
    "any",
    "array",
    "as",
    "asc",
    "asymmetric",
    "authorization",
    "binary",
    "both",
    "case",
    "cast",
    "check",
    "collate",
    "collation",
    "column",
    "concurrently",
    "constraint",
    "create",
    "cross",
    "current_catalog",
    "current_date",
    "current_role",
    "current_schema",
    "current_time",
    "current_timestamp",
    "current_user",
    "default",
    "deferrable",
    "desc",
    "distinct",
    "do",
    "else",
    "end",
    "except",
    "false",
    "fetch",
    "for",
    "foreign",
    "freeze",
    "from",
    "full",
    "grant",
    "group",
    "having",
    "ilike",
    "in",
    "initially",
    "inner",
    "intersect",
    "into",
    "is",
    "isnull",
    "join",
    "lateral",
    "leading",
    "left",
    "like",
    "limit",
    "localtime",
    "localtimestamp",
    "natural",
    "not",
    "notnull",
    "null",
    "offset",
    "on",
    "only",
    "or",
    "order",
    "outer",
    "overlaps",
    "placing",
    "primary",
    "references",
    "returning",
    "right",
    "select",
    "session_user",
    "similar",
    "some",
    "symmetric",
    "table",
    "tablesample",
    "then",
    "to",
    "trailing",
    "true",
    "union",
    "unique",
    "user",
    "using",
    "variadic",
    "verbose",
    "when",
    "where",
    "window",
    "with",
};

// One word of a text outside quotes: where it is and its lower-case letters.
struct Word {
    size_t begin = 0;
    size_t end = 0;
    std::string folded;
};

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// The words and the single signs (such as '=' or ',') of a text, in order; quoted parts
// give one empty word each, so that they can never match a keyword.
std::vector<Word> Words(std::string_view sql) {
    std::vector<Word> words;
    for (size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '\'' || c == '"' || c == '[' || c == '`') {
            const char close = c == '[' ? ']' : c;
            const size_t end = sql.find(close, i + 1);
            const size_t stop = end == std::string_view::npos ? sql.size() : end + 1;
            words.push_back({i, stop, std::string()});
            i = stop;
        } else if (IsWordChar(c)) {
            Word word{i, i, std::string()};
            while (word.end < sql.size() && IsWordChar(sql[word.end]))
                word.folded +=
                    static_cast<char>(std::tolower(static_cast<unsigned char>(sql[word.end++])));
            i = word.end;
            words.push_back(std::move(word));
        } else {
            words.push_back({i, i + 1, std::string(1, c)});
            ++i;
        }
    }
    // A closing semicolon says nothing.
    while (!words.empty() && words.back().folded == ";")
        words.pop_back();
    return words;
}

bool Is(const std::vector<Word>& words, size_t at, const char* folded) {
    return at < words.size() && words[at].folded == folded;
}

bool IsNumber(const std::string& text) {
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

bool ServerDialect::IsReserved(const std::string& folded) {
    return kReservedWords.count(folded) > 0;
}

std::string ServerDialect::CreateMarkerText() {
    return std::string("CREATE TABLE ") + kMarkerTable +
           " (application_id integer NOT NULL, user_version integer NOT NULL)";
}

std::optional<ServerDialect::CountText> ServerDialect::Count(std::string_view sql) {
    const std::vector<Word> words = Words(sql);
    if (!Is(words, 0, "pragma") || !Is(words, 1, "user_version"))
        return std::nullopt;
    if (words.size() == 2)
        return CountText{};
    if (words.size() == 4 && Is(words, 2, "=") && IsNumber(words[3].folded))
        return CountText{true, std::strtol(words[3].folded.c_str(), nullptr, 10)};
    return std::nullopt;
}

bool ServerDialect::IsCreateTable(std::string_view sql) {
    const std::vector<Word> words = Words(sql);
    return Is(words, 0, "create") && Is(words, 1, "table");
}

std::string ServerDialect::WithIdentities(std::string_view sql) {
    const std::vector<Word> words = Words(sql);
    if (!Is(words, 0, "create") || !Is(words, 1, "table"))
        return std::string(sql);
    std::string out;
    size_t copied = 0;
    for (size_t i = 2; i < words.size(); ++i) {
        if (Is(words, i, "integer") && Is(words, i + 1, "primary") && Is(words, i + 2, "key")) {
            out.append(sql, copied, words[i].begin - copied);
            out += "integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
            copied = words[i + 2].end;
            i += 2;
        } else if (Is(words, i, "autoincrement")) {
            out.append(sql, copied, words[i].begin - copied);
            copied = words[i].end;
        }
    }
    out.append(sql, copied, std::string_view::npos);
    return out;
}

} // namespace ado
