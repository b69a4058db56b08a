#include "platform/ado/sqlite/SqliteInserter.h"

#include "platform/ado/EngineError.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/sqlite/SqliteError.h"
#include "platform/ado/sqlite/SqliteValues.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>

namespace ado {
namespace {

// Well under the fewest parameters any SQLite build takes a statement (999), and enough
// rows that opening the table and its indexes is a small part of each statement.
constexpr size_t kParamsPerStatement = 960;
constexpr size_t kMostRows = 128;

size_t BatchFor(size_t columns) {
    return columns == 0 ? 1 : std::clamp<size_t>(kParamsPerStatement / columns, 1, kMostRows);
}

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
    : m_db(db), m_file(file), m_table(table), m_columns(columns) {
    m_plain.batch = m_keyed.batch = BatchFor(columns.size());
    m_statement = Prepare(columns, 1, true);
}

StatementPtr SqliteInserter::Prepare(const std::vector<std::string>& columns, size_t rows,
                                     bool bKept) const {
    const std::string sql = Text(m_table, columns, rows);
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()),
                                      bKept ? SQLITE_PREPARE_PERSISTENT : 0, &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK)
        throw SqliteError(rc, m_db, m_file);
    return statement;
}

void SqliteInserter::Bind(sqlite3_stmt* statement, const Variant* values, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
        const int index = static_cast<int>(i) + 1;
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

void SqliteInserter::Hold(Held& held, const std::vector<Variant>& values) {
    // Copied over the slots of earlier batches, whose texts have room for the new ones.
    for (const Variant& value : values) {
        if (held.count < held.values.size())
            held.values[held.count] = value;
        else
            held.values.push_back(value);
        ++held.count;
    }
    if (held.count >= held.batch * m_columns.size()) {
        if (!held.full)
            held.full = Prepare(m_columns, held.batch, true);
        Write(held);
    }
}

void SqliteInserter::Write(Held& held) {
    if (held.count == 0)
        return;
    const size_t count = held.count;
    const size_t rows = count / m_columns.size();
    const std::int64_t nLastKey =
        held.nFirstKey == 0 ? 0 : held.nFirstKey + static_cast<std::int64_t>(rows) - 1;
    // The rows are gone either way: a statement that fails adds none of them.
    held.count = 0;
    held.nFirstKey = 0;
    StatementPtr once;
    sqlite3_stmt* statement = rows == held.batch && held.full ? held.full.get() : nullptr;
    if (!statement)
        statement = (once = Prepare(m_columns, rows, false)).get();
    Bind(statement, held.values.data(), count);
    try {
        Step(statement);
    } catch (...) {
        // Keys given after rows that never went in would not be the engine's.
        if (nLastKey != 0)
            m_nNextKey = 0;
        throw;
    }
    // Rows that went in under other keys than they were given would leave whatever the
    // caller attached to them on the wrong rows: the caller's transaction must not commit.
    if (nLastKey != 0 && sqlite3_last_insert_rowid(m_db) != nLastKey) {
        m_nNextKey = 0;
        throw EngineError::Make(E_FAIL, "Rows of " + m_table +
                                            " did not get the keys they were given ahead.");
    }
}

void SqliteInserter::Add(const std::vector<Variant>& values) {
    if (m_columns.empty()) {
        Step(m_statement.get());
        return;
    }
    // Rows keyed ahead go in first: these take the keys after theirs.
    Write(m_keyed);
    m_nNextKey = 0;
    Hold(m_plain, values);
}

std::int64_t SqliteInserter::AddNow(const std::vector<Variant>& values) {
    Finish();
    m_nNextKey = 0;
    Bind(m_statement.get(), values.data(), values.size());
    Step(m_statement.get());
    return sqlite3_last_insert_rowid(m_db);
}

std::int64_t SqliteInserter::AddKeyed(const std::vector<Variant>& values) {
    // Outside a transaction another program may add rows between two statements; inside
    // one, once this table has had a row from us, no one else can until the commit, and
    // the engine gives each new row one more than the last (AUTOINCREMENT or not), so the
    // keys can be given ahead.
    if (m_nNextKey == 0 || m_nNextKey == INT64_MAX || sqlite3_get_autocommit(m_db) != 0 || m_columns.empty()) {
        const std::int64_t nKey = AddNow(values);
        if (sqlite3_get_autocommit(m_db) == 0 && nKey > 0 && nKey < INT64_MAX)
            m_nNextKey = nKey + 1;
        return nKey;
    }
    const std::int64_t nKey = m_nNextKey++;
    if (m_keyed.count == 0)
        m_keyed.nFirstKey = nKey;
    Hold(m_keyed, values);
    return nKey;
}

void SqliteInserter::Finish() {
    Write(m_plain);
    Write(m_keyed);
}

} // namespace ado
