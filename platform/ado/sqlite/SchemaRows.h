#pragma once

#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <string>

namespace ado::ledger_check {

/// A name quoted for SQLite, its double quotes doubled.
inline std::string Quoted(const std::string& name) {
    std::string text = "\"";
    for (char c : name)
        text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

/// Runs a query and hands each row to `row`; SQLite's code.
template <typename Row> int EachRow(sqlite3* db, const std::string& sql, Row row) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    const StatementPtr statement(raw);
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        row(raw);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

/// A column of the current row as text ("" for null).
inline std::string Text(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? text : "";
}

} // namespace ado::ledger_check
