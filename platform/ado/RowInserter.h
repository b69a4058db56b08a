#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/ColumnInfo.h"
#include "platform/ado/Variant.h"

#include <memory>
#include <string>
#include <vector>

namespace ado {

class Connection;

/// Adds many rows to one table of an open connection, each with values for the same
/// columns, converted as a recordset converts what it writes. Meant for long runs of rows
/// inside one transaction (an import): the engine prepares the work once. Failures throw
/// ComError; a row that fails is not added.
class RowInserter {
public:
    /// `columns` are named as in the table (compared without case). Throws when the table
    /// or a column is not there.
    RowInserter(const std::shared_ptr<Connection>& connection, const std::string& table,
                const std::vector<std::string>& columns);
    ~RowInserter();
    RowInserter(const RowInserter&) = delete;
    RowInserter& operator=(const RowInserter&) = delete;

    size_t Columns() const { return m_columns.size(); }
    /// Adds a row: one value per column, in the order they were named. The values are
    /// converted in place.
    void Add(std::vector<Variant>& values);
    /// Adds a row at once and gives its key (the table's integer key), for a row others
    /// refer to by it. Throws when the table has none.
    std::int64_t AddNow(std::vector<Variant>& values);
    /// Adds a row and gives its key, as AddNow; inside a transaction the row may be held
    /// back until Finish, so nothing may read or change its table another way before then.
    std::int64_t AddKeyed(std::vector<Variant>& values);
    /// Writes what the engine still holds back; call it before the transaction commits.
    void Finish();

private:
    /// The engine the rows were prepared on; throws once the connection has closed.
    BackendInserter& Inserter() const;
    /// Checks and converts a row's values in place; the engine's inserter, ready for them.
    BackendInserter& Prepared(std::vector<Variant>& values);

    std::shared_ptr<Connection> m_connection;
    const Backend* m_backend = nullptr;
    std::vector<ColumnInfo> m_columns;
    std::unique_ptr<BackendInserter> m_inserter;
};

} // namespace ado
