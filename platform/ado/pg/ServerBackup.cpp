#include "platform/ado/pg/ServerBackup.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/LedgerFile.h"
#include "platform/ado/pg/PgBackend.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ado/pg/ServerDialect.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/ado/sqlite/CopySeal.h"
#include "platform/ado/sqlite/LedgerCheck.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace ado {
namespace {

using namespace ledger_check;

// Type ids of the server's built-in types.
enum : unsigned {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kFloat4 = 700,
    kFloat8 = 701,
    kDate = 1082,
    kTime = 1083,
    kTimestamp = 1114,
    kNumeric = 1700,
};
// numeric(19,4), the server's form of a currency column.
constexpr int kCurrencyModifier = ((19 << 16) | 4) + 4;

struct Problem : std::runtime_error {
    Problem(CopyProblem why, const std::string& what) : std::runtime_error(what), problem(why) {}
    CopyProblem problem;
};

struct Column {
    std::string name;
    unsigned type = 0;
    bool key = false;
};

struct Table {
    std::string name;      // as the catalog keeps it
    std::string qualified; // as a statement names it
    std::vector<Column> columns;
    std::string create;               // the file's CREATE TABLE text
    std::vector<std::string> indexes; // the file's CREATE INDEX texts
    long long sequence = 0;           // the highest id the server ever gave
    long long rows = 0;
};

// The file's declared type for a column: one the engine reads back as the same kind, so
// that a restore makes the same server type again.
std::string FileType(const Column& column, int modifier) {
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

class Server {
public:
    explicit Server(const std::string& uri) {
        const char* const keywords[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
        const char* const values[] = {"10", uri.c_str(), "UTF8", nullptr};
        m_conn.reset(PQconnectdbParams(keywords, values, 1));
        if (!m_conn || PQstatus(m_conn.get()) != CONNECTION_OK)
            throw Problem(CopyProblem::ServerUnreachable,
                          m_conn ? PQerrorMessage(m_conn.get()) : "out of memory");
    }

    PgResultPtr Exec(const std::string& sql, const std::vector<std::string>& params = {}) {
        std::vector<const char*> values;
        for (const std::string& param : params)
            values.push_back(param.c_str());
        PgResultPtr result(PQexecParams(m_conn.get(), sql.c_str(), static_cast<int>(values.size()),
                                        nullptr, values.data(), nullptr, nullptr, 0));
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw Problem(CopyProblem::LedgerUnreadable, PQerrorMessage(m_conn.get()));
        return result;
    }

    pg_conn* Handle() const { return m_conn.get(); }

private:
    PgConnPtr m_conn;
};

// The server's words on one line: libpq adds hints on lines of their own.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\t' || c == '\r') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// A failure about the server, named without its password.
LedgerCopyResult ServerFailure(CopyProblem problem, const std::string& uri,
                               const std::string& detail) {
    return Failure(problem, PgBackend::Describe(uri), OneLine(detail));
}

std::string Value(const PgResultPtr& result, int row, int column) {
    return PQgetisnull(result.get(), row, column) ? "" : PQgetvalue(result.get(), row, column);
}

std::vector<Table> ReadTables(Server& server) {
    std::vector<Table> tables;
    const PgResultPtr list = server.Exec(
        "SELECT c.oid, c.relname, c.oid::pg_catalog.regclass::text FROM pg_catalog.pg_class c "
        "WHERE c.relkind IN ('r', 'p') AND pg_catalog.pg_table_is_visible(c.oid) "
        "AND c.relnamespace <> 'pg_catalog'::pg_catalog.regnamespace AND c.relname <> $1 "
        "ORDER BY c.oid",
        {ServerDialect::kMarkerTable});
    for (int row = 0; row < PQntuples(list.get()); ++row) {
        Table table;
        const std::string oid = Value(list, row, 0);
        table.name = Value(list, row, 1);
        table.qualified = Value(list, row, 2);
        const PgResultPtr columns = server.Exec(
            "SELECT a.attname, a.atttypid, a.atttypmod, a.attidentity <> '' OR "
            "EXISTS (SELECT 1 FROM pg_catalog.pg_index i WHERE i.indrelid = a.attrelid AND "
            "i.indisprimary AND i.indnatts = 1 AND i.indkey[0] = a.attnum AND "
            "a.atttypid IN (20, 21, 23)), "
            "pg_catalog.pg_get_serial_sequence($2, a.attname) "
            "FROM pg_catalog.pg_attribute a WHERE a.attrelid = $1::oid AND a.attnum > 0 AND "
            "NOT a.attisdropped ORDER BY a.attnum",
            {oid, table.qualified});
        std::string declared;
        for (int c = 0; c < PQntuples(columns.get()); ++c) {
            Column column{Value(columns, c, 0),
                          static_cast<unsigned>(std::stoul(Value(columns, c, 1))),
                          Value(columns, c, 3) == "t"};
            const std::string sequence = Value(columns, c, 4);
            if (column.key && !sequence.empty()) {
                const PgResultPtr last =
                    server.Exec("SELECT CASE WHEN is_called THEN last_value ELSE last_value - 1 "
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
        // Indexes on columns; one on expressions or part of the rows the file could not
        // say the same way, and the ledger has none.
        const PgResultPtr indexes = server.Exec(
            "SELECT i.relname, x.indisunique, (SELECT pg_catalog.string_agg("
            "pg_catalog.quote_ident(a.attname), ', ' ORDER BY k.n) FROM "
            "pg_catalog.unnest(x.indkey::int2[]) WITH ORDINALITY k(attnum, n) JOIN "
            "pg_catalog.pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.attnum "
            "WHERE k.n <= x.indnkeyatts) FROM pg_catalog.pg_index x JOIN pg_catalog.pg_class i "
            "ON i.oid = x.indexrelid WHERE x.indrelid = $1::oid AND NOT x.indisprimary AND "
            "x.indpred IS NULL AND x.indexprs IS NULL ORDER BY i.oid",
            {oid});
        for (int i = 0; i < PQntuples(indexes.get()); ++i)
            table.indexes.push_back(
                std::string("CREATE ") + (Value(indexes, i, 1) == "t" ? "UNIQUE " : "") + "INDEX " +
                JetSql::QuoteIdentifier(Value(indexes, i, 0)) + " ON " +
                JetSql::QuoteIdentifier(table.name) + " (" + Value(indexes, i, 2) + ")");
        table.rows =
            std::stoll(Value(server.Exec("SELECT count(*) FROM " + table.qualified), 0, 0));
        tables.push_back(std::move(table));
    }
    return tables;
}

void ExecFile(sqlite3* db, const std::string& sql) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw Problem(WriteProblem(sqlite3_extended_errcode(db), db), sqlite3_errmsg(db));
}

// The value of one cell, in the form the file ledger keeps: numbers as numbers, dates and
// texts as text, booleans as 0 and 1, bytes as a blob.
void Bind(sqlite3_stmt* insert, int index, const Column& column, const char* text, int length) {
    switch (column.type) {
    case kBool:
        sqlite3_bind_int(insert, index, text[0] == 't' ? 1 : 0);
        return;
    case kInt2:
    case kInt4:
    case kInt8:
        sqlite3_bind_int64(insert, index, std::strtoll(text, nullptr, 10));
        return;
    case kFloat4:
    case kFloat8:
        sqlite3_bind_double(insert, index, std::strtod(text, nullptr));
        return;
    case kBytea: {
        size_t size = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
        sqlite3_bind_blob(insert, index, bytes, static_cast<int>(size), SQLITE_TRANSIENT);
        PQfreemem(bytes);
        return;
    }
    default:
        sqlite3_bind_text(insert, index, text, length, SQLITE_TRANSIENT);
    }
}

// Streams a table's rows from the server into the file, a row at a time.
void CopyRows(Server& server, sqlite3* file, const Table& table, long long& done, long long total,
              const CopyProgress& progress) {
    std::string names, marks;
    for (const Column& column : table.columns) {
        names += (names.empty() ? "" : ", ") + JetSql::QuoteIdentifier(column.name);
        marks += marks.empty() ? "?" : ", ?";
    }
    std::string order;
    for (const Column& column : table.columns)
        if (column.key)
            order = " ORDER BY " + JetSql::QuoteIdentifier(column.name);
    sqlite3_stmt* raw = nullptr;
    const std::string insert = "INSERT INTO " + JetSql::QuoteIdentifier(table.name) + " (" + names +
                               ") VALUES (" + marks + ")";
    if (sqlite3_prepare_v2(file, insert.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw Problem(CopyProblem::WriteFailed, sqlite3_errmsg(file));
    const StatementPtr statement(raw);
    pg_conn* conn = server.Handle();
    if (!PQsendQuery(conn, ("SELECT " + names + " FROM " + table.qualified + order).c_str()) ||
        !PQsetSingleRowMode(conn))
        throw Problem(CopyProblem::LedgerUnreadable, PQerrorMessage(conn));
    bool stopped = false;
    for (PgResultPtr result(PQgetResult(conn)); result; result.reset(PQgetResult(conn))) {
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_TUPLES_OK || stopped)
            continue;
        if (status != PGRES_SINGLE_TUPLE)
            throw Problem(CopyProblem::LedgerUnreadable, PQerrorMessage(conn));
        for (int c = 0; c < static_cast<int>(table.columns.size()); ++c) {
            if (PQgetisnull(result.get(), 0, c))
                sqlite3_bind_null(raw, c + 1);
            else
                Bind(raw, c + 1, table.columns[c], PQgetvalue(result.get(), 0, c),
                     PQgetlength(result.get(), 0, c));
        }
        if (sqlite3_step(raw) != SQLITE_DONE) {
            const int rc = sqlite3_extended_errcode(file);
            throw Problem(WriteProblem(rc, file), sqlite3_errmsg(file));
        }
        sqlite3_reset(raw);
        // A progress report every few thousand rows; stopping reads the rest of the answer.
        if (++done % 4096 == 0 && progress && !progress(done, total))
            stopped = true;
    }
    if (stopped)
        throw Problem(CopyProblem::Cancelled, "The backup was cancelled.");
}

// The highest id a table ever gave, for AUTOINCREMENT to go on from.
void KeepSequence(sqlite3* file, const Table& table) {
    for (const char* sql : {"UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1",
                            "INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 WHERE NOT "
                            "EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?1)"}) {
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(file, sql, -1, &raw, nullptr);
        const StatementPtr statement(raw);
        sqlite3_bind_text(raw, 1, table.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(raw, 2, table.sequence);
        if (raw == nullptr || sqlite3_step(raw) != SQLITE_DONE)
            throw Problem(CopyProblem::WriteFailed, sqlite3_errmsg(file));
    }
}

void WriteFile(Server& server, sqlite3* file, const std::vector<Table>& tables, long long version,
               const CopyProgress& progress) {
    ExecFile(file, "PRAGMA application_id = " + std::to_string(kLedgerApplicationId) +
                       "; PRAGMA user_version = " + std::to_string(version) + "; BEGIN");
    long long total = 0, done = 0;
    for (const Table& table : tables) {
        ExecFile(file, table.create);
        total += table.rows;
    }
    for (const Table& table : tables) {
        CopyRows(server, file, table, done, total, progress);
        if (table.sequence > 0)
            KeepSequence(file, table);
        // Made after the rows: quicker than keeping them in order row by row.
        for (const std::string& index : table.indexes)
            ExecFile(file, index);
    }
    ExecFile(file, "COMMIT");
    if (progress)
        progress(total, total);
}

} // namespace

LedgerCopyResult BackupServerLedger(const std::string& uri, const std::string& dest, bool replace,
                                    const CopyProgress& progress) {
    std::string detail;
    switch (ServerLedger::Test(uri, detail)) {
    case ServerLedger::Check::Ok:
        break;
    case ServerLedger::Check::Unreachable:
        return ServerFailure(CopyProblem::ServerUnreachable, uri, detail);
    case ServerLedger::Check::WrongPassword:
        return ServerFailure(CopyProblem::LedgerUnreadable, uri, detail);
    case ServerLedger::Check::NoDatabase:
        return ServerFailure(CopyProblem::LedgerMissing, uri, detail);
    case ServerLedger::Check::NotLedger:
        return ServerFailure(CopyProblem::NotALedger, uri, detail);
    case ServerLedger::Check::Failed:
        return ServerFailure(CopyProblem::LedgerUnreadable, uri, detail);
    }
    CopySeal copy(dest, replace);
    if (!copy.Opened().Ok())
        return copy.Opened();
    try {
        Server server(uri);
        // One snapshot for the whole copy: the ledger as it was at one moment.
        server.Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        server.Exec("SET LOCAL DateStyle = 'ISO, YMD'");
        server.Exec("SET LOCAL extra_float_digits = 3");
        const std::vector<Table> tables = ReadTables(server);
        const PgResultPtr version = server.Exec(std::string("SELECT max(user_version) FROM ") +
                                                ServerDialect::kMarkerTable);
        WriteFile(server, copy.Db(), tables, std::atoll(Value(version, 0, 0).c_str()), progress);
        // Every row of the snapshot arrived.
        for (const Table& table : tables) {
            long long rows = -1;
            sqlite3_stmt* raw = nullptr;
            sqlite3_prepare_v2(
                copy.Db(), ("SELECT count(*) FROM " + JetSql::QuoteIdentifier(table.name)).c_str(),
                -1, &raw, nullptr);
            const StatementPtr count(raw);
            if (raw != nullptr && sqlite3_step(raw) == SQLITE_ROW)
                rows = sqlite3_column_int64(raw, 0);
            if (rows != table.rows)
                throw Problem(CopyProblem::WriteFailed, "The copy of " + table.name + " holds " +
                                                            std::to_string(rows) + " of " +
                                                            std::to_string(table.rows) + " rows.");
        }
    } catch (const Problem& e) {
        if (e.problem == CopyProblem::ServerUnreachable ||
            e.problem == CopyProblem::LedgerUnreadable)
            return ServerFailure(e.problem, uri, e.what());
        return Failure(e.problem, dest, OneLine(e.what()));
    }
    const LedgerCopyResult result = copy.Seal(0);
    if (!result.Ok() && result.file == copy.TemporaryPath())
        return Failure(CopyProblem::WriteFailed, dest, "The copy did not verify: " + result.detail);
    return result;
}

LedgerCopyResult RestoreServerLedger(const std::string& backup, const std::string& uri, int waitMs,
                                     const CopyProgress& progress) {
    const LedgerCopyResult checked = VerifyLedgerFile(backup);
    if (!checked.Ok())
        return checked;
    std::string error;
    bool busy = false;
    if (progress)
        progress(0, 1);
    if (!ServerLedger::ReplaceFromFile(backup, uri, waitMs, error, busy))
        return ServerFailure(busy ? CopyProblem::LedgerBusy : CopyProblem::WriteFailed, uri, error);
    if (progress)
        progress(1, 1);
    LedgerCopyResult result = checked;
    result.file = PgBackend::Describe(uri);
    return result;
}

} // namespace ado
