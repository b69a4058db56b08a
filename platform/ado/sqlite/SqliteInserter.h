#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <string>
#include <vector>

namespace ado {

/// Many rows into one SQLite table. Rows added with Add are held back and go in many to one
/// INSERT, so the engine opens the table and its indexes once for them rather than once a
/// row; AddNow and Finish write what is held first.
class SqliteInserter : public BackendInserter {
public:
    /// Prepares the INSERT on `db`; `file` names the ledger in errors. Throws ComError.
    SqliteInserter(sqlite3* db, const std::string& file, const std::string& table,
                   const std::vector<std::string>& columns);

    /// The INSERT of `rows` rows with values for `columns`, as parameters in their order.
    static std::string Text(const std::string& table, const std::vector<std::string>& columns,
                            size_t rows = 1);

    void Add(const std::vector<Variant>& values) override;
    std::int64_t AddNow(const std::vector<Variant>& values) override;
    void Finish() override;

private:
    StatementPtr Prepare(size_t rows, bool bKept) const;
    /// Binds `values` from parameter `first` on, and steps when they fill the statement.
    void Bind(sqlite3_stmt* statement, int first, const std::vector<Variant>& values) const;
    void Step(sqlite3_stmt* statement) const;

    sqlite3* m_db;
    std::string m_file;
    std::string m_table;
    std::vector<std::string> m_columns;
    size_t m_batch;                  // rows a full statement holds
    StatementPtr m_statement;        // one row
    StatementPtr m_full;             // m_batch rows, prepared when first needed
    std::vector<Variant> m_held;     // the values of the rows held back, row after row
};

} // namespace ado
