#pragma once

#include "platform/ado/Variant.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace ado {

/// A step of moving a file ledger to a server that failed; its text is what the user reads.
struct LedgerMoveError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// One column of a file ledger's table.
struct FileColumn {
    std::string name;
    VarKind kind = VarKind::Empty;
    bool known = false;
    bool key = false;
    bool password = false; ///< tbUser's password: never moved as plain text
};

/// An index of a file ledger's table, as SQLite describes it (never its stored SQL text,
/// which a crafted file may have changed into anything).
struct FileIndex {
    struct Column {
        std::string name;
        bool descending = false;
    };
    std::string name;
    bool unique = false;
    std::vector<Column> columns;
};

/// One table of a file ledger, with what a server needs to make it again.
struct FileTable {
    std::string name;
    std::vector<FileColumn> columns;
    std::vector<FileIndex> indexes;       // made with CREATE INDEX, on plain columns
    std::vector<std::string> constraints; // a key of several columns, UNIQUE columns
    long long sequence = 0;               // the highest id the file ever gave
};

/// Reads a file ledger as it is at one moment, for moving it to a server. A file holding a
/// trigger Coffer does not make is refused. Throws LedgerMoveError.
class FileLedgerReader {
public:
    explicit FileLedgerReader(const std::string& path);

    /// Every row of the statement's result, each value as text (empty for null).
    std::vector<std::vector<std::string>> Rows(const std::string& sql) const;
    /// The file's tables in the order they were made.
    std::vector<FileTable> Tables() const;
    /// The ledger's count of later tables.
    std::string Version() const;
    sqlite3* Handle() const { return m_db.get(); }

    /// The text with its single quotes doubled, for a literal.
    static std::string Escaped(const std::string& text);

private:
    DatabasePtr m_db;
};

} // namespace ado
