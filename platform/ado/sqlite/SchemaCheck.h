#pragma once

#include <string>

struct sqlite3;

namespace ado::ledger_check {

/// How strictly a ledger's schema is judged against Coffer's own objects (LedgerSchema.h).
enum class SchemaRule {
    /// A ledger being opened: users may add views, indexes and tables with an SQLite tool,
    /// but a trigger Coffer did not make acts on every write and is refused.
    Open,
    /// A backup about to replace the ledger: it holds the ledger's tables and nothing Coffer
    /// does not make itself.
    Restore,
};

/// What the schema check found.
struct SchemaFinding {
    enum class Kind { None, Foreign, MissingTable } kind = Kind::None;
    std::string type; ///< the object's kind in SQLite's words: table, index, view, trigger
    std::string name; ///< the object refused, or the table missing

    bool Ok() const { return kind == Kind::None; }
    /// The finding in plain Chinese words, for the user.
    std::string Describe() const;
};

/// Checks the schema of the open database `db` by `rule`. `rc` is SQLite's code when the
/// schema could not be read (the finding is then Ok).
SchemaFinding CheckSchema(sqlite3* db, SchemaRule rule, int& rc);

} // namespace ado::ledger_check
