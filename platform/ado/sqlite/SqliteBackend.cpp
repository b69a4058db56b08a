#include "platform/ado/sqlite/SqliteBackend.h"

#include "platform/ado/EngineError.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/LedgerFile.h"
#include "platform/ado/PasswordStore.h"
#include "platform/ado/sqlite/SchemaCheck.h"
#include "platform/ado/sqlite/SqliteError.h"
#include "platform/ado/sqlite/SqliteInserter.h"
#include "platform/ado/sqlite/SqliteRows.h"
#include "platform/ado/sqlite/SqliteValues.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace ado {
namespace {

constexpr int kBusyTimeoutMs = 3000;

// The single table all result columns come from, or "" when there is none.
std::string SourceTable(sqlite3_stmt* statement, int firstColumn) {
    const int count = sqlite3_column_count(statement);
    std::string table;
    for (int i = firstColumn; i < count; ++i) {
        const char* name = sqlite3_column_table_name(statement, i);
        if (!name || (i > firstColumn && table != name))
            return {};
        table = name;
    }
    return table;
}

} // namespace

SqliteBackend::SqliteBackend(const std::string& path) : m_path(path) {
    CheckIsSqliteFile();
    // A connection belongs to one thread, so SQLite's own locking is not needed.
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(m_path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    DatabasePtr db(raw);
    if (rc != SQLITE_OK)
        throw SqliteError(rc, raw, m_path);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    // Whose file it is decides what may be changed: nothing at all in a foreign file, not
    // even its journal mode, and in a ledger made before the id only the rows.
    int readRc = SQLITE_OK;
    const LedgerKind kind = ClassifyLedger(raw, readRc);
    if (readRc != SQLITE_OK && readRc != SQLITE_NOTADB)
        throw SqliteError(readRc, raw, m_path);
    if (kind == LedgerKind::Foreign)
        throw EngineError::Make(E_FAIL, "The file '" + m_path +
                                            "' is not a Coffer data file, so it cannot be "
                                            "opened as the data file.");
    // Users may add a view or an index with an SQLite tool, but a trigger acts on every write
    // and only Coffer's own are let run.
    int schemaRc = SQLITE_OK;
    const ledger_check::SchemaFinding finding =
        ledger_check::CheckSchema(raw, ledger_check::SchemaRule::Open, schemaRc);
    if (schemaRc != SQLITE_OK)
        throw SqliteError(schemaRc, raw, m_path);
    if (!finding.Ok())
        throw EngineError::Explain(E_FAIL, EngineError::Trouble::ForeignTrigger, m_path,
                                   "trigger " + finding.name);
    // The rollback journal with full syncs: a power cut or a killed process loses at most
    // the change that was being written. Only our own file is switched to it.
    if (kind == LedgerKind::Ours) {
        const int prc = sqlite3_exec(raw, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        if (prc != SQLITE_OK)
            throw SqliteError(prc, raw, m_path);
    }
    // A page cache large enough for a year of records, so that a dialog asking again
    // does not read the file again.
    for (const char* pragma : {"PRAGMA synchronous=FULL", "PRAGMA cache_size=-32768"}) {
        const int prc = sqlite3_exec(raw, pragma, nullptr, nullptr, nullptr);
        if (prc != SQLITE_OK)
            throw SqliteError(prc, raw, m_path);
    }
    // A password an older ledger keeps as plain text is hashed before anything can copy it
    // (the start-up backup opens the ledger first). A ledger that cannot be written now
    // still opens; the next open tries again.
    password_store::HashPlainRows(raw);
    m_db = std::move(db);
}

SqliteBackend::~SqliteBackend() {
    Close();
}

void SqliteBackend::CheckIsSqliteFile() const {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_path, ec))
        throw EngineError::Explain(E_FAIL, EngineError::Trouble::Missing, m_path,
                                   "Could not find file '" + m_path + "'.");
    // Read the header ourselves: SQLite would take an empty file for a new database and
    // write to it, and it must never touch a file that is not ours.
    std::ifstream file(m_path, std::ios::binary);
    char header[16] = {};
    if (!file)
        throw EngineError::Make(E_FAIL, "Could not read file '" + m_path + "'.");
    file.read(header, sizeof header);
    if (file.gcount() != sizeof header || std::memcmp(header, "SQLite format 3", 16) != 0)
        throw EngineError::Make(E_FAIL, "The file '" + m_path +
                                            "' is not an SQLite database, so it cannot be "
                                            "opened as the data file.");
}

void SqliteBackend::Close() {
    if (!m_db)
        return;
    m_statements.clear();
    if (!sqlite3_get_autocommit(m_db.get()))
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    m_db.reset();
}

sqlite3* SqliteBackend::Handle() const {
    if (!m_db)
        throw EngineError::Make(ADO_E_OBJECTCLOSED,
                                "Operation is not allowed when the connection is closed.");
    return m_db.get();
}

void SqliteBackend::ThrowError(int rc) const {
    throw SqliteError(rc, m_db.get(), m_path);
}

StatementPtr SqliteBackend::Prepare(const std::string& sql) const {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(Handle(), sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK)
        ThrowError(rc);
    if (!raw)
        throw EngineError::Make(DB_E_ERRORSINCOMMAND, "The SQL text is empty.");
    if (tail && !JetSql::IsEndOfText(tail))
        throw EngineError::Make(DB_E_ERRORSINCOMMAND,
                                "Characters found after end of SQL statement.");
    return statement;
}

bool SqliteBackend::HasTable(const std::string& name) {
    return sqlite3_table_column_metadata(Handle(), "main", name.c_str(), nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::unique_ptr<BackendRows> SqliteBackend::OpenTable(const std::string& name) {
    StatementPtr statement =
        Prepare("SELECT rowid, * FROM " + JetSql::QuoteIdentifier(name) + " ORDER BY rowid");
    return std::make_unique<SqliteRows>(m_db.get(), std::move(statement), name, m_path);
}

std::unique_ptr<BackendRows> SqliteBackend::Read(const std::string& sql,
                                                 const BeforeWrite& beforeWrite) {
    StatementPtr statement = Prepare(sql);
    if (sqlite3_column_count(statement.get()) == 0)
        return Run(sql, beforeWrite);
    return std::make_unique<SqliteRows>(m_db.get(), std::move(statement), std::string(), m_path);
}

std::unique_ptr<BackendRows> SqliteBackend::Run(const std::string& sql,
                                                const BeforeWrite& beforeWrite) {
    StatementPtr statement = Prepare(sql);
    sqlite3_stmt* raw = statement.get();
    if (sqlite3_column_count(raw) == 0) {
        // DELETE, INSERT and the like: run now; there is no cursor.
        if (beforeWrite)
            beforeWrite();
        int rc;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            ThrowError(rc);
        return nullptr;
    }
    // A plain SELECT from one table gets the rowid in front, so its rows can be changed.
    const std::string table = SourceTable(raw, 0);
    if (!table.empty()) {
        if (const auto withRowId = JetSql::WithRowId(sql)) {
            sqlite3_stmt* keyed = nullptr;
            if (sqlite3_prepare_v2(m_db.get(), withRowId->c_str(), -1, &keyed, nullptr) ==
                SQLITE_OK) {
                StatementPtr keyedStatement(keyed);
                if (sqlite3_column_count(keyed) == sqlite3_column_count(raw) + 1 &&
                    SourceTable(keyed, 0) == table) {
                    // When the table's INTEGER PRIMARY KEY is among the columns it is the
                    // rowid: the text as written serves, without a second rowid read per row.
                    auto rows =
                        std::make_unique<SqliteRows>(m_db.get(), std::move(statement), table,
                                                     m_path, SqliteRows::KeyAt::KeyColumn);
                    if (rows->HasKey())
                        return rows;
                    return std::make_unique<SqliteRows>(m_db.get(), std::move(keyedStatement),
                                                        table, m_path);
                }
            }
        }
    }
    return std::make_unique<SqliteRows>(m_db.get(), std::move(statement), std::string(), m_path);
}

void SqliteBackend::Execute(const std::string& sql) {
    const int rc = sqlite3_exec(Handle(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        ThrowError(rc);
}

sqlite3_stmt* SqliteBackend::CachedStatement(const std::string& sql) {
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        sqlite3_reset(found->second.get());
        sqlite3_clear_bindings(found->second.get());
        return found->second.get();
    }
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(Handle(), sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK)
        ThrowError(rc);
    return m_statements.emplace(sql, std::move(statement)).first->second.get();
}

void SqliteBackend::StepWrite(sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE) {
        const ComError error = SqliteError(rc, m_db.get(), m_path);
        sqlite3_reset(statement);
        throw error;
    }
    sqlite3_reset(statement);
}

std::int64_t SqliteBackend::Insert(const std::string& table,
                                   const std::vector<std::string>& columns,
                                   const std::vector<Variant>& values) {
    sqlite3_stmt* statement = CachedStatement(SqliteInserter::Text(table, columns));
    for (size_t i = 0; i < values.size(); ++i)
        SqliteValues::Bind(statement, static_cast<int>(i) + 1, values[i]);
    StepWrite(statement);
    return sqlite3_last_insert_rowid(m_db.get());
}

long SqliteBackend::Change(const std::string& table, std::int64_t key,
                           const std::vector<std::string>& columns,
                           const std::vector<Variant>& values) {
    std::string assignments;
    for (const std::string& column : columns)
        assignments += (assignments.empty() ? "" : ", ") + JetSql::QuoteIdentifier(column) + " = ?";
    sqlite3_stmt* statement = CachedStatement("UPDATE " + JetSql::QuoteIdentifier(table) + " SET " +
                                              assignments + " WHERE rowid = ?");
    int parameter = 0;
    for (const Variant& value : values)
        SqliteValues::Bind(statement, ++parameter, value);
    sqlite3_bind_int64(statement, ++parameter, key);
    StepWrite(statement);
    return sqlite3_changes(m_db.get());
}

void SqliteBackend::Delete(const std::string& table, std::int64_t key) {
    sqlite3_stmt* statement =
        CachedStatement("DELETE FROM " + JetSql::QuoteIdentifier(table) + " WHERE rowid = ?");
    sqlite3_bind_int64(statement, 1, key);
    StepWrite(statement);
}

std::unique_ptr<BackendInserter>
SqliteBackend::PrepareInsert(const std::string& table, const std::vector<std::string>& columns) {
    return std::make_unique<SqliteInserter>(Handle(), m_path, table, columns);
}

void SqliteBackend::Begin() {
    Execute("BEGIN IMMEDIATE");
}

void SqliteBackend::Commit() {
    Execute("COMMIT");
}

void SqliteBackend::Rollback() {
    // After a full disk or an I/O error SQLite has already rolled the transaction back;
    // "no transaction is active" would then hide why it ended.
    if (sqlite3_get_autocommit(Handle()))
        return;
    Execute("ROLLBACK");
}

} // namespace ado
