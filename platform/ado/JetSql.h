#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ado {

/// The rewrites that let SQLite run the program's SQL texts.
class JetSql {
public:
    /// Replaces every #date# literal outside quotes by the stored text of that date
    /// ('YYYY-MM-DD HH:MM:SS'; a date alone is midnight). Literals that are not dates stay.
    static std::string TranslateDateLiterals(std::string_view sql);
    /// True for a text that can only be a table name (one word, no punctuation).
    static bool IsBareName(std::string_view text);
    /// "name" with inner double quotes doubled.
    static std::string QuoteIdentifier(std::string_view name);
    /// The SELECT text with the rowid put in front of its columns, so that its rows can be
    /// changed in place; empty when the text is not a plain single-table SELECT.
    static std::optional<std::string> WithRowId(std::string_view sql);
    /// The same with any key expression (a quoted column name) in front.
    static std::optional<std::string> WithKey(std::string_view sql, std::string_view key);
    /// The text as a server that folds unquoted names to lower case reads it: [name] and
    /// "name" become "name" with ASCII letters in lower case, and every bare word listed in
    /// `quoted` (lower case) is quoted, so that a column named like a reserved word stays a
    /// column. Nothing between single quotes changes.
    static std::string ForServer(std::string_view sql, const std::set<std::string>& quoted);
    /// A name as the server keeps an unquoted one: ASCII letters in lower case.
    static std::string FoldAscii(std::string_view name);
    /// A name quoted as ForServer quotes it.
    static std::string QuoteFolded(std::string_view name);
    /// The table a DELETE, UPDATE or INSERT text writes to; empty for any other text.
    static std::string WrittenTable(std::string_view sql);
    /// True when the names are equal, ASCII letters compared without case.
    static bool SameName(std::string_view a, std::string_view b);
    /// True when only blanks and semicolons follow the first statement.
    static bool IsEndOfText(std::string_view tail);
};

} // namespace ado
