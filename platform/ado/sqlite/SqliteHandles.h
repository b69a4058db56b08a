#pragma once

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace ado {

/// Closes a database handle.
struct DatabaseCloser {
    void operator()(sqlite3* db) const;
};

/// Finalizes a prepared statement.
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const;
};

using DatabasePtr = std::unique_ptr<sqlite3, DatabaseCloser>;
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

} // namespace ado
