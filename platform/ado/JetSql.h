#pragma once

#include <optional>
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
    /// True when the names are equal, ASCII letters compared without case.
    static bool SameName(std::string_view a, std::string_view b);
    /// True when only blanks and semicolons follow the first statement.
    static bool IsEndOfText(std::string_view tail);
};

} // namespace ado
