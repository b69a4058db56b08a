#include "platform/ado/pg/ServerSnapshot.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/pg/PgTypes.h"
#include "platform/ado/pg/ServerDialect.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace ado {
namespace {

using namespace pg_types;

// numeric(19,4), the server's form of a currency column.
constexpr int kCurrencyModifier = ((19 << 16) | 4) + 4;

// The file's declared type for a column: one the engine reads back as the same kind, so
// that a restore makes the same server type again.
std::string FileType(const SnapshotColumn& column, int modifier) {
    if (column.key)
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    switch (column.type) {
    case kInt2:
        return "SMALLINT";
    case kInt4:
    case kInt8:
        return "INTEGER";
    case kFloat4:
        return "SINGLE";
    case kFloat8:
        return "DOUBLE";
    case kDate:
        return "DATE";
    case kTime:
        return "TIME";
    case kTimestamp:
        return "DATETIME";
    case kBool:
        return "BIT";
    case kNumeric:
        return modifier == kCurrencyModifier ? "CURRENCY" : "DECIMAL";
    case kBytea:
        return "BLOB";
    default:
        return "TEXT";
    }
}

std::string Value(const PgResultPtr& result, int row, int column) {
    return PQgetisnull(result.get(), row, column) ? "" : PQgetvalue(result.get(), row, column);
}

} // namespace

ServerSnapshot::ServerSnapshot(const std::string& uri) : m_conn(ConnectTo(uri)) {
    if (!m_conn || PQstatus(m_conn.get()) != CONNECTION_OK)
        throw CopyError(CopyProblem::ServerUnreachable,
                        m_conn ? PQerrorMessage(m_conn.get()) : "out of memory");
    // One snapshot for the whole copy: the ledger as it was at one moment.
    Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    Exec("SET LOCAL DateStyle = 'ISO, YMD'");
    Exec("SET LOCAL extra_float_digits = 3");
}

PgResultPtr ServerSnapshot::Exec(const std::string& sql, const std::vector<std::string>& params) {
    std::vector<const char*> values;
    for (const std::string& param : params)
        values.push_back(param.c_str());
    PgResultPtr result(PQexecParams(m_conn.get(), sql.c_str(), static_cast<int>(values.size()),
                                    nullptr, values.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw CopyError(CopyProblem::LedgerUnreadable, PQerrorMessage(m_conn.get()));
    return result;
}

std::vector<SnapshotTable> ServerSnapshot::Tables() {
    std::vector<SnapshotTable> tables;
    const PgResultPtr list =
        Exec("SELECT c.oid, c.relname, c.oid::pg_catalog.regclass::text FROM pg_catalog.pg_class c "
             "WHERE c.relkind IN ('r', 'p') AND pg_catalog.pg_table_is_visible(c.oid) "
             "AND c.relnamespace <> 'pg_catalog'::pg_catalog.regnamespace AND c.relname <> $1 "
             "ORDER BY c.oid",
             {ServerDialect::kMarkerTable});
    for (int row = 0; row < PQntuples(list.get()); ++row) {
        SnapshotTable table;
        const std::string oid = Value(list, row, 0);
        table.name = Value(list, row, 1);
        table.qualified = Value(list, row, 2);
        const PgResultPtr columns =
            Exec("SELECT a.attname, a.atttypid, a.atttypmod, a.attidentity <> '' OR "
                 "EXISTS (SELECT 1 FROM pg_catalog.pg_index i WHERE i.indrelid = a.attrelid AND "
                 "i.indisprimary AND i.indnatts = 1 AND i.indkey[0] = a.attnum AND "
                 "a.atttypid IN (20, 21, 23)), "
                 "pg_catalog.pg_get_serial_sequence($2, a.attname) "
                 "FROM pg_catalog.pg_attribute a WHERE a.attrelid = $1::oid AND a.attnum > 0 AND "
                 "NOT a.attisdropped ORDER BY a.attnum",
                 {oid, table.qualified});
        std::string declared;
        for (int c = 0; c < PQntuples(columns.get()); ++c) {
            SnapshotColumn column{Value(columns, c, 0),
                                  static_cast<unsigned>(std::stoul(Value(columns, c, 1))),
                                  Value(columns, c, 3) == "t"};
            const std::string sequence = Value(columns, c, 4);
            if (column.key && !sequence.empty()) {
                const PgResultPtr last =
                    Exec("SELECT CASE WHEN is_called THEN last_value ELSE last_value - 1 "
                         "END FROM " +
                         sequence);
                table.sequence = std::stoll(Value(last, 0, 0));
            }
            declared += (declared.empty() ? "" : ", ") + JetSql::QuoteIdentifier(column.name) +
                        " " + FileType(column, std::stoi(Value(columns, c, 2)));
            table.columns.push_back(std::move(column));
        }
        table.create =
            "CREATE TABLE " + JetSql::QuoteIdentifier(table.name) + " (" + declared + ")";
        // Plain indexes on columns; one on expressions, part of the rows or of another kind
        // (the search's trigram ones) the file could not say the same way.
        const PgResultPtr indexes = Exec(
            "SELECT i.relname, x.indisunique, (SELECT pg_catalog.string_agg("
            "pg_catalog.quote_ident(a.attname), ', ' ORDER BY k.n) FROM "
            "pg_catalog.unnest(x.indkey::int2[]) WITH ORDINALITY k(attnum, n) JOIN "
            "pg_catalog.pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.attnum "
            "WHERE k.n <= x.indnkeyatts) FROM pg_catalog.pg_index x JOIN pg_catalog.pg_class i "
            "ON i.oid = x.indexrelid WHERE x.indrelid = $1::oid AND NOT x.indisprimary AND "
            "x.indpred IS NULL AND x.indexprs IS NULL AND i.relam = (SELECT a.oid FROM "
            "pg_catalog.pg_am a WHERE a.amname = 'btree') ORDER BY i.oid",
            {oid});
        for (int i = 0; i < PQntuples(indexes.get()); ++i)
            table.indexes.push_back(
                std::string("CREATE ") + (Value(indexes, i, 1) == "t" ? "UNIQUE " : "") + "INDEX " +
                JetSql::QuoteIdentifier(Value(indexes, i, 0)) + " ON " +
                JetSql::QuoteIdentifier(table.name) + " (" + Value(indexes, i, 2) + ")");
        table.rows = std::stoll(Value(Exec("SELECT count(*) FROM " + table.qualified), 0, 0));
        tables.push_back(std::move(table));
    }
    return tables;
}

long long ServerSnapshot::Version() {
    const PgResultPtr version =
        Exec(std::string("SELECT max(user_version) FROM ") + ServerDialect::kMarkerTable);
    return std::atoll(Value(version, 0, 0).c_str());
}

} // namespace ado
