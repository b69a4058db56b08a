#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <string>
#include <vector>

namespace ado {

/// Many rows into one SQLite table through one prepared INSERT, bound and stepped per row.
class SqliteInserter : public BackendInserter {
public:
    /// Prepares the INSERT on `db`; `file` names the ledger in errors. Throws ComError.
    SqliteInserter(sqlite3* db, const std::string& file, const std::string& table,
                   const std::vector<std::string>& columns);

    /// The INSERT of one row with values for `columns`, as parameters in their order.
    static std::string Text(const std::string& table, const std::vector<std::string>& columns);

    void Add(const std::vector<Variant>& values) override;
    std::int64_t AddNow(const std::vector<Variant>& values) override;
    void Finish() override {}

private:
    sqlite3* m_db;
    std::string m_file;
    StatementPtr m_statement;
};

} // namespace ado
