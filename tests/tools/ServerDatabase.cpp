#include "tests/tools/ServerDatabase.h"

#include "platform/ado/pg/PgHandles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <unistd.h>

namespace testing_support {

ServerDatabase::ServerDatabase()
    : m_name("tools_" + std::to_string(getpid()) + "_" + std::to_string(++s_count)) {
    Admin("CREATE DATABASE " + m_name);
}

ServerDatabase::~ServerDatabase() {
    Admin("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
}

std::string ServerDatabase::Uri() const {
    return TestDb::ServerUri(m_name);
}

Rows ServerDatabase::Run(const std::string& uri, const std::string& sql) {
    const ado::PgConnPtr conn(PQconnectdb(uri.c_str()));
    PQsetNoticeProcessor(
        conn.get(), [](void*, const char*) {}, nullptr);
    const ado::PgResultPtr result(PQexec(conn.get(), sql.c_str()));
    EXPECT_TRUE(PQresultStatus(result.get()) == PGRES_TUPLES_OK ||
                PQresultStatus(result.get()) == PGRES_COMMAND_OK)
        << PQerrorMessage(conn.get()) << sql;
    Rows rows;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        rows.emplace_back();
        for (int i = 0; i < PQnfields(result.get()); ++i)
            rows.back().push_back(
                PQgetisnull(result.get(), row, i) ? "<NULL>" : PQgetvalue(result.get(), row, i));
    }
    return rows;
}

void ServerDatabase::Admin(const std::string& sql) {
    Run(TestDb::ServerUri("postgres"), sql);
}

Rows FileRows(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
    Rows rows;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            rows.back().push_back(text ? text : "<NULL>");
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

bool SameCell(const std::string& a, const std::string& b) {
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA);
    const double y = std::strtod(b.c_str(), &endB);
    if (!a.empty() && !b.empty() && *endA == '\0' && *endB == '\0')
        return x == y;
    return a == b;
}

} // namespace testing_support
