#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/pg/PgHandles.h"

#include <string>
#include <vector>

namespace ado {

class PgBackend;

/// The rows of one server statement, fetched whole the first time a row is asked for. A
/// keyed result has the key as column 0.
class PgRows : public BackendRows {
public:
    PgRows(PgBackend& backend, std::string sql, std::vector<ColumnInfo> columns,
           std::vector<unsigned> types, std::string table);

    const std::vector<ColumnInfo>& Columns() const override { return m_columns; }
    const std::string& Table() const override { return m_table; }
    bool Step() override;
    std::int64_t Key() const override;
    void ReadRow(RowStore& rows) override;
    ValueView Value(size_t column) override;
    /// The whole result is here once stepping began; nothing is held on the server.
    bool Busy() const override { return false; }

private:
    PgBackend& m_backend;
    std::string m_sql;
    std::vector<ColumnInfo> m_columns;
    std::vector<unsigned> m_types;
    std::string m_table;
    int m_firstColumn;
    bool m_binary = true; // every column fetched in binary form
    PgResultPtr m_result;
    bool m_done = false;
    int m_row = -1;
    int m_rowCount = 0;
    // Per column, the text a value's reading made (bytea, money, far dates) for its view.
    std::vector<std::string> m_scratch;
};

} // namespace ado
