#include "platform/ado/sqlite/SqliteInserter.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/sqlite/SqliteError.h"
#include "platform/ado/sqlite/SqliteValues.h"

#include <sqlite3.h>

namespace ado {

std::string SqliteInserter::Text(const std::string& table,
                                 const std::vector<std::string>& columns) {
    std::string names;
    std::string marks;
    for (const std::string& column : columns) {
        names += (names.empty() ? "" : ", ") + JetSql::QuoteIdentifier(column);
        marks += marks.empty() ? "?" : ", ?";
    }
    const std::string quoted = JetSql::QuoteIdentifier(table);
    return names.empty() ? "INSERT INTO " + quoted + " DEFAULT VALUES"
                         : "INSERT INTO " + quoted + " (" + names + ") VALUES (" + marks + ")";
}

SqliteInserter::SqliteInserter(sqlite3* db, const std::string& file, const std::string& table,
                               const std::vector<std::string>& columns)
    : m_db(db), m_file(file) {
    const std::string sql = Text(table, columns);
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    m_statement.reset(raw);
    if (rc != SQLITE_OK)
        throw SqliteError(rc, m_db, m_file);
}

void SqliteInserter::Add(const std::vector<Variant>& values) {
    sqlite3_stmt* statement = m_statement.get();
    for (size_t i = 0; i < values.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        // The values outlive the step, so their texts need not be copied.
        if (values[i].Kind() == VarKind::Text)
            sqlite3_bind_text(statement, index, values[i].TextValue().data(),
                              static_cast<int>(values[i].TextValue().size()), SQLITE_STATIC);
        else
            SqliteValues::Bind(statement, index, values[i]);
    }
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE) {
        const ComError error = SqliteError(rc, m_db, m_file);
        sqlite3_reset(statement);
        throw error;
    }
    sqlite3_reset(statement);
}

std::int64_t SqliteInserter::AddNow(const std::vector<Variant>& values) {
    Add(values);
    return sqlite3_last_insert_rowid(m_db);
}

} // namespace ado
