#include "platform/ado/sqlite/SqliteRows.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/sqlite/SqliteError.h"
#include "platform/ado/sqlite/SqliteValues.h"

#include <sqlite3.h>

namespace ado {
namespace {

const char* OrEmpty(const char* text) {
    return text ? text : "";
}

} // namespace

SqliteRows::SqliteRows(sqlite3* db, StatementPtr statement, const std::string& table,
                       const std::string& file, KeyAt keyAt)
    : m_db(db), m_statement(std::move(statement)), m_table(table), m_file(file),
      m_firstColumn(table.empty() || keyAt == KeyAt::KeyColumn ? 0 : 1) {
    sqlite3_stmt* raw = m_statement.get();
    const int count = sqlite3_column_count(raw) - m_firstColumn;
    m_columns.assign(static_cast<size_t>(count), ColumnInfo{});
    for (int i = 0; i < count; ++i) {
        ColumnInfo& column = m_columns[static_cast<size_t>(i)];
        column.name = OrEmpty(sqlite3_column_name(raw, i + m_firstColumn));
        column.originName = OrEmpty(sqlite3_column_origin_name(raw, i + m_firstColumn));
        const char* declared = sqlite3_column_decltype(raw, i + m_firstColumn);
        column.hasDeclaredKind = declared && ColumnInfo::KindOfDeclaredType(declared, column.kind);
        if (!table.empty() && !column.originName.empty()) {
            // An INTEGER PRIMARY KEY is the rowid under another name.
            int primaryKey = 0;
            const char* type = nullptr;
            if (sqlite3_table_column_metadata(db, "main", table.c_str(), column.originName.c_str(),
                                              &type, nullptr, nullptr, &primaryKey,
                                              nullptr) == SQLITE_OK)
                column.isKey = primaryKey && type && JetSql::SameName(type, "INTEGER");
        }
        if (column.isKey && m_keyColumn < 0 && keyAt == KeyAt::KeyColumn)
            m_keyColumn = i;
    }
    if (!table.empty() && keyAt == KeyAt::FirstColumn)
        m_keyColumn = 0;
}

bool SqliteRows::Step() {
    if (!m_statement)
        return false;
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        const ComError error = SqliteError(rc, m_db, m_file);
        m_statement.reset();
        throw error;
    }
    m_statement.reset();
    return false;
}

std::int64_t SqliteRows::Key() const {
    return m_keyColumn >= 0 ? sqlite3_column_int64(m_statement.get(), m_keyColumn) : 0;
}

void SqliteRows::ReadRow(RowStore& rows) {
    for (size_t i = 0; i < m_columns.size(); ++i)
        SqliteValues::ReadInto(rows, m_statement.get(), static_cast<int>(i) + m_firstColumn,
                               m_columns[i]);
}

ValueView SqliteRows::Value(size_t column) {
    ValueView view;
    ViewSink sink(view, m_scratch);
    SqliteValues::ReadInto(sink, m_statement.get(), static_cast<int>(column) + m_firstColumn,
                           m_columns[column]);
    return view;
}

void SqliteRows::ReadIntegers(std::vector<std::int64_t>& values) {
    sqlite3_stmt* statement = m_statement.get();
    const int end = m_firstColumn + static_cast<int>(m_columns.size());
    while (Step()) {
        const size_t start = values.size();
        for (int column = m_firstColumn; column < end; ++column) {
            const int type = sqlite3_column_type(statement, column);
            std::int64_t number = 0;
            if (type == SQLITE_INTEGER) {
                number = sqlite3_column_int64(statement, column);
            } else {
                // Read as the cursors read it: a whole real counts, anything else not.
                ValueView view;
                ViewSink sink(view, m_scratch);
                SqliteValues::ReadInto(sink, statement, column, m_columns[column - m_firstColumn]);
                if (!IntegerOf(view, number)) {
                    values.resize(start);
                    break;
                }
            }
            values.push_back(number);
        }
    }
}

void SqliteRows::Values(ValueView* views, size_t count) {
    SqliteValues::ReadRowInto(views, count, m_statement.get(), m_firstColumn, m_columns.data());
}

bool SqliteRows::Busy() const {
    // A statement not yet stepped holds no lock and keeps no write from committing.
    return m_statement && sqlite3_stmt_busy(m_statement.get());
}

} // namespace ado
