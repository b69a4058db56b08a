#include "tests/support/TestDb.h"

#include "data/LedgerAdditions.h"
#include "data/StarterDatabase.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace testing_support {
namespace {

ado::DatabasePtr OpenFile(const std::filesystem::path& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    ado::DatabasePtr db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot open " + path.string());
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

ado::PgConnPtr Connect(const std::string& uri) {
    ado::PgConnPtr conn(PQconnectdb(uri.c_str()));
    if (PQstatus(conn.get()) != CONNECTION_OK)
        throw std::runtime_error("cannot connect to " + uri + ": " + PQerrorMessage(conn.get()));
    // "drop cascades to ..." and the like would only fill the test's output.
    PQsetNoticeProcessor(
        conn.get(), [](void*, const char*) {}, nullptr);
    return conn;
}

ado::PgResultPtr ServerExec(const std::string& uri, const std::string& sql) {
    const ado::PgConnPtr conn = Connect(uri);
    ado::PgResultPtr result(PQexec(conn.get(), sql.c_str()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(PQerrorMessage(conn.get()) + (": " + sql));
    return result;
}

// A double as SQLite shows it (15 digits, ".0" after a whole number), so that the checks of
// both kinds read the same.
std::string AsFileShowsIt(const char* text, Oid type) {
    if (type != 700 && type != 701)
        return text;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", std::strtod(text, nullptr));
    std::string shown = buffer;
    if (shown.find_first_of(".eni") == std::string::npos)
        shown += ".0";
    return shown;
}

// The texts of the tests are written as the program's: a column named user is quoted.
std::string ForServer(const std::string& sql) {
    return ado::JetSql::ForServer(sql, {"user"});
}

// Without the test server the server run has nothing to run against: it says so once and
// skips, so that a plain ctest outside the test command stays usable.
class ServerRunCheck : public testing::Environment {
public:
    void SetUp() override {
        if (TestDb::OnServer() && !std::getenv("COFFER_TEST_PGHOST"))
            GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
    }
};

[[maybe_unused]] testing::Environment* const g_serverRunCheck =
    testing::AddGlobalTestEnvironment(new ServerRunCheck);

} // namespace

bool TestDb::OnServer() {
    const char* engine = std::getenv("COFFER_TEST_ENGINE");
    return engine && std::string(engine) == "server";
}

std::string TestDb::ServerUri(const std::string& database) {
    const char* host = std::getenv("COFFER_TEST_PGHOST");
    return "postgresql:///" + database + "?host=" + (host ? host : "/nonexistent") +
           "&user=postgres";
}

TestDb::TestDb() {
    std::string error;
    if (!CreateStarterDatabase(FilePath().string(), error))
        throw std::runtime_error(error);
    if (!OnServer())
        return;
    // A schema of its own in one shared database: much quicker to make than a database, and
    // the engine sees only the tables on its search path.
    static int s_count = 0;
    m_schema = "t_" + std::to_string(getpid()) + "_" + std::to_string(++s_count);
    try {
        ServerExec(ServerUri("postgres"), "CREATE DATABASE " + std::string(kTestDatabase));
    } catch (const std::runtime_error&) {
        // Made by an earlier test, or by another one at the same moment.
    }
    ServerExec(ServerUri(kTestDatabase), "CREATE SCHEMA " + m_schema);
    m_uri = ServerUri(kTestDatabase) + "&options=-csearch_path%3D" + m_schema;
    if (!ado::ServerLedger::CopyFromFile(FilePath().string(), m_uri, error) ||
        !CLedgerAdditions::Complete(m_uri, error))
        throw std::runtime_error(error);
    setenv("COFFER_LEDGER", m_uri.c_str(), 1);
    // A server ledger's backups go to the data folder: the test's own.
    if (const char* data = std::getenv("XDG_DATA_HOME"))
        m_previousData = data;
    setenv("XDG_DATA_HOME", Directory().c_str(), 1);
}

TestDb::~TestDb() {
    if (m_schema.empty())
        return;
    unsetenv("COFFER_LEDGER");
    if (m_previousData.empty())
        unsetenv("XDG_DATA_HOME");
    else
        setenv("XDG_DATA_HOME", m_previousData.c_str(), 1);
    try {
        ServerExec(ServerUri(kTestDatabase), "DROP SCHEMA " + m_schema + " CASCADE");
    } catch (const std::exception&) {
        // A server stopped by the test leaves the schema to the end of the run.
    }
}

void TestDb::CreateListTable(const std::string& quotedName) const {
    Exec("create table " + quotedName +
         (m_uri.empty() ? " (ID INTEGER PRIMARY KEY, 类型 TEXT, 备注 TEXT)"
                        : " (ID integer generated by default as identity primary key, 类型 text, "
                          "备注 text)"));
}

void TestDb::FailInsertsFrom(const std::string& table, int rows, const std::string& message) const {
    const std::string count = "(select count(*) from " + table + ") >= " + std::to_string(rows);
    if (m_uri.empty()) {
        Exec("create trigger insert_fails before insert on " + table + " when " + count +
             " begin select raise(abort, '" + message + "'); end");
        return;
    }
    ServerExec(m_uri, "create function insert_fails() returns trigger language plpgsql as $$ "
                      "begin if " +
                          count + " then raise exception '" + message +
                          "'; end if; return new; end $$; "
                          "create trigger insert_fails before insert on " +
                          table + " for each row execute function insert_fails()");
}

void TestDb::ClearInsertFault(const std::string& table) const {
    if (m_uri.empty())
        Exec("drop trigger insert_fails");
    else
        ServerExec(m_uri,
                   "drop trigger insert_fails on " + table + "; drop function insert_fails()");
}

std::vector<std::vector<std::string>> TestDb::Query(const std::string& sql) const {
    std::vector<std::vector<std::string>> rows;
    if (!m_uri.empty()) {
        const ado::PgResultPtr result = ServerExec(m_uri, ForServer(sql));
        for (int row = 0; row < PQntuples(result.get()); ++row) {
            std::vector<std::string> values;
            for (int i = 0; i < PQnfields(result.get()); ++i)
                values.emplace_back(PQgetisnull(result.get(), row, i)
                                        ? kNull
                                        : AsFileShowsIt(PQgetvalue(result.get(), row, i),
                                                        PQftype(result.get(), i)));
            rows.push_back(std::move(values));
        }
        return rows;
    }
    const ado::DatabasePtr db = OpenFile(FilePath());
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db.get()) + (": " + sql));
    const ado::StatementPtr statement(raw);
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(raw); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
            row.emplace_back(text ? text : kNull);
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db.get()) + (": " + sql));
    return rows;
}

std::string TestDb::Scalar(const std::string& sql) const {
    const auto rows = Query(sql);
    return rows.empty() || rows.front().empty() ? kNull : rows.front().front();
}

void TestDb::Exec(const std::string& sql) const {
    if (!m_uri.empty()) {
        ServerExec(m_uri, ForServer(sql));
        return;
    }
    const ado::DatabasePtr db = OpenFile(FilePath());
    char* message = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(why + ": " + sql);
    }
}

} // namespace testing_support
