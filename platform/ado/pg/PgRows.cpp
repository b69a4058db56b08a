#include "platform/ado/pg/PgRows.h"

#include "platform/ado/pg/PgBackend.h"
#include "platform/ado/pg/PgValues.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace ado {

PgRows::PgRows(PgBackend& backend, std::string sql, std::vector<ColumnInfo> columns,
               std::vector<unsigned> types, std::string table)
    : m_backend(backend), m_sql(std::move(sql)), m_columns(std::move(columns)),
      m_types(std::move(types)), m_table(std::move(table)), m_firstColumn(m_table.empty() ? 0 : 1),
      m_scratch(m_columns.size()) {
    // The binary form spares both sides writing and reading numbers and dates as text; a
    // result with a column of another type comes as text. The key is a whole number.
    for (unsigned type : m_types)
        m_binary = m_binary && PgValues::HasBinaryForm(type);
}

bool PgRows::Step() {
    if (m_done)
        return false;
    if (!m_result) {
        m_result = m_binary ? m_backend.QueryBinary(m_sql) : m_backend.Query(m_sql);
        m_rowCount = PQntuples(m_result.get());
        m_row = -1;
    }
    if (++m_row < m_rowCount)
        return true;
    m_result.reset();
    m_done = true;
    return false;
}

std::int64_t PgRows::Key() const {
    if (!m_firstColumn)
        return 0;
    const char* value = PQgetvalue(m_result.get(), m_row, 0);
    return m_binary ? PgValues::BinaryInteger(
                          value, static_cast<size_t>(PQgetlength(m_result.get(), m_row, 0)))
                    : std::strtoll(value, nullptr, 10);
}

void PgRows::ReadRow(RowStore& rows) {
    pg_result* result = m_result.get();
    if (m_binary) {
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const int field = static_cast<int>(i) + m_firstColumn;
            PgValues::ReadBinaryInto(
                rows,
                PQgetisnull(result, m_row, field) ? nullptr : PQgetvalue(result, m_row, field),
                static_cast<size_t>(PQgetlength(result, m_row, field)), m_types[i]);
        }
        return;
    }
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const int field = static_cast<int>(i) + m_firstColumn;
        const bool null = PQgetisnull(result, m_row, field);
        PgValues::ReadInto(rows, null ? nullptr : PQgetvalue(result, m_row, field),
                           static_cast<size_t>(PQgetlength(result, m_row, field)), m_types[i]);
    }
}

ValueView PgRows::Value(size_t column) {
    pg_result* result = m_result.get();
    const int field = static_cast<int>(column) + m_firstColumn;
    const char* data =
        PQgetisnull(result, m_row, field) ? nullptr : PQgetvalue(result, m_row, field);
    const auto length = static_cast<size_t>(PQgetlength(result, m_row, field));
    ValueView view;
    ViewSink sink(view, m_scratch[column]);
    if (m_binary)
        PgValues::ReadBinaryInto(sink, data, length, m_types[column]);
    else
        PgValues::ReadInto(sink, data, length, m_types[column]);
    return view;
}

} // namespace ado
