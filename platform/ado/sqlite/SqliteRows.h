#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <string>
#include <vector>

namespace ado {

/// The rows of one SQLite statement. A keyed statement has the rowid as column 0, or selects
/// the table's INTEGER PRIMARY KEY (which is the rowid) among its own columns.
class SqliteRows : public BackendRows {
public:
    /// How a keyed statement gives each row's rowid.
    enum class KeyAt { FirstColumn, KeyColumn };

    /// `table` is the table the rows can be changed in, or "" (then the rows have no key).
    SqliteRows(sqlite3* db, StatementPtr statement, const std::string& table,
               const std::string& file, KeyAt keyAt = KeyAt::FirstColumn);

    const std::vector<ColumnInfo>& Columns() const override { return m_columns; }
    const std::string& Table() const override { return m_table; }
    bool Step() override;
    std::int64_t Key() const override;
    void ReadRow(RowStore& rows) override;
    ValueView Value(size_t column) override;
    bool Busy() const override;
    /// True when each row has its rowid (false for a KeyColumn statement without the key).
    bool HasKey() const { return m_keyColumn >= 0; }

private:
    sqlite3* m_db;
    StatementPtr m_statement;
    std::string m_table;
    std::string m_file;
    int m_firstColumn;
    int m_keyColumn = -1; // the statement's column holding the rowid, or -1
    std::vector<ColumnInfo> m_columns;
    std::string m_scratch; // unused: SQLite's values are all viewed in place
};

} // namespace ado
