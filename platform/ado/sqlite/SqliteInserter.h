#pragma once

#include "platform/ado/Backend.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <string>
#include <vector>

namespace ado {

/// Many rows into one SQLite table. Rows added with Add are held back and go in many to one
/// INSERT, so the engine opens the table and its indexes once for them rather than once a
/// row; AddNow and Finish write what is held first. Inside a transaction AddKeyed holds
/// rows back too, each given the key the engine will give it: inside one transaction the
/// engine gives each new row of a table one more than the last, so the keys follow from the
/// first. The key of a batch's last row is checked once it is in.
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
    std::int64_t AddKeyed(const std::vector<Variant>& values) override;
    void Finish() override;

private:
    /// Rows held back: the plain ones, or the ones given keys.
    struct Held {
        size_t batch = 1;            // rows a full statement holds
        StatementPtr full;           // `batch` rows, prepared when first needed
        std::vector<Variant> values; // row after row; slots past `count` keep their room
        size_t count = 0;            // values held
        std::int64_t nFirstKey = 0;  // the key the first row was given; 0: none given
    };

    StatementPtr Prepare(const std::vector<std::string>& columns, size_t rows, bool bKept) const;
    void Bind(sqlite3_stmt* statement, const Variant* values, size_t count) const;
    void Step(sqlite3_stmt* statement) const;
    /// Adds a row and writes the batch once it is full.
    void Hold(Held& held, const std::vector<Variant>& values);
    void Write(Held& held);

    sqlite3* m_db;
    std::string m_file;
    std::string m_table;
    std::vector<std::string> m_columns;
    StatementPtr m_statement; // one row
    Held m_plain;
    Held m_keyed;
    std::int64_t m_nNextKey = 0; // 0: not known, the next keyed row goes in at once
};

} // namespace ado
