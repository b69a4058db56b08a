#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <string>
#include <vector>

namespace ado {

/// The rows of one SQLite statement. A keyed statement has the rowid as column 0.
class SqliteRows : public BackendRows {
public:
    /// `table` is the table the rows can be changed in (then column 0 is the rowid), or "".
    SqliteRows(sqlite3* db, StatementPtr statement, const std::string& table,
               const std::string& file);

    const std::vector<ColumnInfo>& Columns() const override { return m_columns; }
    const std::string& Table() const override { return m_table; }
    bool Step() override;
    std::int64_t Key() const override;
    void ReadRow(RowStore& rows) override;
    bool Busy() const override;

private:
    sqlite3* m_db;
    StatementPtr m_statement;
    std::string m_table;
    std::string m_file;
    int m_firstColumn;
    std::vector<ColumnInfo> m_columns;
};

} // namespace ado
