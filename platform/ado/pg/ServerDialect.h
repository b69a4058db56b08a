#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ado {

/// The few texts that speak of the file itself, said as a server ledger says them. A file
/// keeps the ledger's count of later tables in its header (PRAGMA user_version); the server
/// keeps it in the one row of the marker table. A key column declared INTEGER PRIMARY KEY
/// numbers new rows itself on the file; on the server it becomes a generated identity.
class ServerDialect {
public:
    /// True for a word (in lower case) the server reserves and a column name may be.
    static bool IsReserved(const std::string& folded);

    /// The table that marks a server database as a ledger and keeps its count.
    static constexpr const char* kMarkerTable = "coffer_ledger";
    /// The marker table as coffer-initdb makes it.
    static std::string CreateMarkerText();

    /// A text about the count: reading it, or setting it to `value`.
    struct CountText {
        bool write = false;
        long value = 0;
    };
    /// The count text `sql` is, if it is one ("PRAGMA user_version" or
    /// "PRAGMA user_version = N", any case, blanks and a closing semicolon allowed).
    static std::optional<CountText> Count(std::string_view sql);

    /// True for a CREATE TABLE text.
    static bool IsCreateTable(std::string_view sql);
    /// A CREATE TABLE text with every INTEGER PRIMARY KEY column made an identity the server
    /// numbers (AUTOINCREMENT dropped); any other text as it is. Quoted text never changes.
    static std::string WithIdentities(std::string_view sql);
};

} // namespace ado
