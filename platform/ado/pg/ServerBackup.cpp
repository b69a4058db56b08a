#include "platform/ado/pg/ServerBackup.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/LedgerFile.h"
#include "platform/ado/pg/PgBackend.h"
#include "platform/ado/pg/PgError.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ado/pg/PgTypes.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/ado/pg/ServerSnapshot.h"
#include "platform/ado/sqlite/CopySeal.h"
#include "platform/ado/sqlite/LedgerCheck.h"
#include "platform/ole/PointNumber.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <vector>

namespace ado {
namespace {

using namespace ledger_check;
using namespace pg_types;

// A failure about the server, named without its password.
LedgerCopyResult ServerFailure(CopyProblem problem, const std::string& uri,
                               const std::string& detail) {
    return Failure(problem, PgBackend::Describe(uri), PgError::OneLine(detail));
}

void ExecFile(sqlite3* db, const std::string& sql) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw CopyError(WriteProblem(sqlite3_extended_errcode(db), db), sqlite3_errmsg(db));
}

// The value of one cell, in the form the file ledger keeps: numbers as numbers, dates and
// texts as text, booleans as 0 and 1, bytes as a blob.
void Bind(sqlite3_stmt* insert, int index, const SnapshotColumn& column, const char* text,
          int length) {
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
        sqlite3_bind_double(insert, index, ole::PointNumber::Parse(text));
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
void CopyRows(ServerSnapshot& server, sqlite3* file, const SnapshotTable& table, long long& done,
              long long total, const CopyProgress& progress) {
    std::string names, marks;
    for (const SnapshotColumn& column : table.columns) {
        names += (names.empty() ? "" : ", ") + JetSql::QuoteIdentifier(column.name);
        marks += marks.empty() ? "?" : ", ?";
    }
    std::string order;
    for (const SnapshotColumn& column : table.columns)
        if (column.key)
            order = " ORDER BY " + JetSql::QuoteIdentifier(column.name);
    sqlite3_stmt* raw = nullptr;
    const std::string insert = "INSERT INTO " + JetSql::QuoteIdentifier(table.name) + " (" + names +
                               ") VALUES (" + marks + ")";
    if (sqlite3_prepare_v2(file, insert.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw CopyError(CopyProblem::WriteFailed, sqlite3_errmsg(file));
    const StatementPtr statement(raw);
    pg_conn* conn = server.Handle();
    if (!PQsendQuery(conn, ("SELECT " + names + " FROM " + table.qualified + order).c_str()) ||
        !PQsetSingleRowMode(conn))
        throw CopyError(CopyProblem::LedgerUnreadable, PQerrorMessage(conn));
    bool stopped = false;
    for (PgResultPtr result(PQgetResult(conn)); result; result.reset(PQgetResult(conn))) {
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_TUPLES_OK || stopped)
            continue;
        if (status != PGRES_SINGLE_TUPLE)
            throw CopyError(CopyProblem::LedgerUnreadable, PQerrorMessage(conn));
        for (int c = 0; c < static_cast<int>(table.columns.size()); ++c) {
            if (PQgetisnull(result.get(), 0, c))
                sqlite3_bind_null(raw, c + 1);
            else
                Bind(raw, c + 1, table.columns[c], PQgetvalue(result.get(), 0, c),
                     PQgetlength(result.get(), 0, c));
        }
        if (sqlite3_step(raw) != SQLITE_DONE) {
            const int rc = sqlite3_extended_errcode(file);
            throw CopyError(WriteProblem(rc, file), sqlite3_errmsg(file));
        }
        sqlite3_reset(raw);
        // A progress report every few thousand rows; stopping reads the rest of the answer.
        if (++done % 4096 == 0 && progress && !progress(done, total))
            stopped = true;
    }
    if (stopped)
        throw CopyError(CopyProblem::Cancelled, "The backup was cancelled.");
}

// The highest id a table ever gave, for AUTOINCREMENT to go on from.
void KeepSequence(sqlite3* file, const SnapshotTable& table) {
    for (const char* sql : {"UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1",
                            "INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 WHERE NOT "
                            "EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?1)"}) {
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(file, sql, -1, &raw, nullptr);
        const StatementPtr statement(raw);
        sqlite3_bind_text(raw, 1, table.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(raw, 2, table.sequence);
        if (raw == nullptr || sqlite3_step(raw) != SQLITE_DONE)
            throw CopyError(CopyProblem::WriteFailed, sqlite3_errmsg(file));
    }
}

void WriteFile(ServerSnapshot& server, sqlite3* file, const std::vector<SnapshotTable>& tables,
               long long version, const CopyProgress& progress) {
    ExecFile(file, "PRAGMA application_id = " + std::to_string(kLedgerApplicationId) +
                       "; PRAGMA user_version = " + std::to_string(version) + "; BEGIN");
    long long total = 0, done = 0;
    for (const SnapshotTable& table : tables) {
        ExecFile(file, table.create);
        total += table.rows;
    }
    for (const SnapshotTable& table : tables) {
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
        ServerSnapshot server(uri);
        const std::vector<SnapshotTable> tables = server.Tables();
        WriteFile(server, copy.Db(), tables, server.Version(), progress);
        // Every row of the snapshot arrived.
        for (const SnapshotTable& table : tables) {
            long long rows = -1;
            sqlite3_stmt* raw = nullptr;
            sqlite3_prepare_v2(
                copy.Db(), ("SELECT count(*) FROM " + JetSql::QuoteIdentifier(table.name)).c_str(),
                -1, &raw, nullptr);
            const StatementPtr count(raw);
            if (raw != nullptr && sqlite3_step(raw) == SQLITE_ROW)
                rows = sqlite3_column_int64(raw, 0);
            if (rows != table.rows)
                throw CopyError(CopyProblem::WriteFailed,
                                "The copy of " + table.name + " holds " + std::to_string(rows) +
                                    " of " + std::to_string(table.rows) + " rows.");
        }
    } catch (const CopyError& e) {
        if (e.problem == CopyProblem::ServerUnreachable ||
            e.problem == CopyProblem::LedgerUnreadable)
            return ServerFailure(e.problem, uri, e.what());
        return Failure(e.problem, dest, PgError::OneLine(e.what()));
    }
    const LedgerCopyResult result = copy.Seal(0);
    if (!result.Ok() && result.file == copy.TemporaryPath())
        return Failure(CopyProblem::WriteFailed, dest, "The copy did not verify: " + result.detail);
    return result;
}

LedgerCopyResult RestoreServerLedger(const std::string& backup, const std::string& uri, int waitMs,
                                     const CopyProgress& progress) {
    const LedgerCopyResult checked = VerifyRestorableBackup(backup);
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
