#include "platform/ado/sqlite/SqliteInserter.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/sqlite/SqliteError.h"
#include "platform/ado/sqlite/SqliteValues.h"

#include <sqlite3.h>

#include <algorithm>

namespace ado {
namespace {

// Well under the fewest parameters any SQLite build takes a statement (999), and enough
// rows that opening the table and its indexes is a small part of each statement.
constexpr size_t kParamsPerStatement = 960;
constexpr size_t kMostRows = 128;

} // namespace

std::string SqliteInserter::Text(const std::string& table,
                                 const std::vector<std::string>& columns, size_t rows) {
    std::string names;
    std::string marks;
    for (const std::string& column : columns) {
        names += (names.empty() ? "" : ", ") + JetSql::QuoteIdentifier(column);
        marks += marks.empty() ? "?" : ", ?";
    }
    const std::string quoted = JetSql::QuoteIdentifier(table);
    if (names.empty())
        return "INSERT INTO " + quoted + " DEFAULT VALUES";
    std::string text = "INSERT INTO " + quoted + " (" + names + ") VALUES (" + marks + ")";
    for (size_t row = 1; row < rows; ++row)
        text += ", (" + marks + ")";
    return text;
}

SqliteInserter::SqliteInserter(sqlite3* db, const std::string& file, const std::string& table,
                               const std::vector<std::string>& columns)
    : m_db(db), m_file(file), m_table(table), m_columns(columns),
      m_batch(columns.empty()
                  ? 1
                  : std::clamp<size_t>(kParamsPerStatement / columns.size(), 1, kMostRows)) {
    m_statement = Prepare(1, true);
}

StatementPtr SqliteInserter::Prepare(size_t rows, bool bKept) const {
    const std::string sql = Text(m_table, m_columns, rows);
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()),
                                      bKept ? SQLITE_PREPARE_PERSISTENT : 0, &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK)
        throw SqliteError(rc, m_db, m_file);
    return statement;
}

void SqliteInserter::Bind(sqlite3_stmt* statement, int first,
                          const std::vector<Variant>& values) const {
    for (size_t i = 0; i < values.size(); ++i) {
        const int index = first + static_cast<int>(i);
        // The values outlive the step, so their texts need not be copied.
        if (values[i].Kind() == VarKind::Text)
            sqlite3_bind_text(statement, index, values[i].TextValue().data(),
                              static_cast<int>(values[i].TextValue().size()), SQLITE_STATIC);
        else
            SqliteValues::Bind(statement, index, values[i]);
    }
}

void SqliteInserter::Step(sqlite3_stmt* statement) const {
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE) {
        const ComError error = SqliteError(rc, m_db, m_file);
        sqlite3_reset(statement);
        throw error;
    }
    sqlite3_reset(statement);
}

void SqliteInserter::Add(const std::vector<Variant>& values) {
    if (m_batch == 1) {
        Bind(m_statement.get(), 1, values);
        Step(m_statement.get());
        return;
    }
    m_held.insert(m_held.end(), values.begin(), values.end());
    if (m_held.size() >= m_batch * m_columns.size()) {
        if (!m_full)
            m_full = Prepare(m_batch, true);
        Finish();
    }
}

std::int64_t SqliteInserter::AddNow(const std::vector<Variant>& values) {
    Finish();
    Bind(m_statement.get(), 1, values);
    Step(m_statement.get());
    return sqlite3_last_insert_rowid(m_db);
}

void SqliteInserter::Finish() {
    if (m_held.empty())
        return;
    const size_t rows = m_held.size() / m_columns.size();
    // The rows are gone either way: a statement that fails adds none of them.
    const std::vector<Variant> held = std::move(m_held);
    m_held.clear();
    StatementPtr once;
    sqlite3_stmt* statement = m_statement.get();
    if (rows == m_batch && m_full)
        statement = m_full.get();
    else if (rows > 1)
        statement = (once = Prepare(rows, false)).get();
    Bind(statement, 1, held);
    Step(statement);
}

} // namespace ado
