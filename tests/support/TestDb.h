#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

/// A temporary current directory holding a fresh starter ledger, made by the same code as
/// coffer-initdb, with direct SQL access for setting up and checking.
///
/// One fixture, two kinds: a run with COFFER_TEST_ENGINE=server keeps the ledger on the test
/// PostgreSQL server (COFFER_TEST_PGHOST names its socket folder) in a database of its own,
/// moved there from the starter file, and points the household ledger setting at it; every
/// "data.mdb" connection of the test then works on the server. Where a check reads the
/// engine's own catalog or hooks, COFFER_FILE_LEDGER_ONLY() keeps it to the file kind.
class TestDb {
public:
    /// How Query shows a NULL value.
    static constexpr const char* kNull = "<NULL>";
    /// The connection text every dialog sets.
    static constexpr const char* kConnectionString =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

    /// True in the run that keeps the ledgers on the server.
    static bool OnServer();
    /// The database on the test server that holds the ledgers, one schema each.
    static constexpr const char* kTestDatabase = "coffer_tests";
    /// The test server's URI for a database (libpq's form, over the Unix socket).
    static std::string ServerUri(const std::string& database);

    TestDb();
    ~TestDb();
    TestDb(const TestDb&) = delete;
    TestDb& operator=(const TestDb&) = delete;

    const std::filesystem::path& Directory() const { return m_dir.Path(); }
    /// The starter file (on the server kind: the file the ledger was moved from).
    std::filesystem::path FilePath() const { return m_dir.Path() / "data.mdb"; }
    /// The ledger's server URI; empty for the file kind.
    const std::string& Uri() const { return m_uri; }

    /// The rows of a query, every value as the engine's text of it, NULL as kNull. On the
    /// server a column named user is quoted as Jet texts need.
    std::vector<std::vector<std::string>> Query(const std::string& sql) const;
    /// The first column of the first row, or kNull when there is none.
    std::string Scalar(const std::string& sql) const;
    /// Runs statements; throws std::runtime_error with the engine's message on failure.
    void Exec(const std::string& sql) const;

    /// Makes a list table (key, 类型, 备注) as the engine makes one; the name as in SQL.
    void CreateListTable(const std::string& quotedName) const;
    /// Makes every insert into `table` fail with `message` once it holds `rows` rows.
    void FailInsertsFrom(const std::string& table, int rows, const std::string& message) const;
    void ClearInsertFault(const std::string& table) const;

private:
    TempDir m_dir;
    std::string m_schema;
    std::string m_uri;
};

} // namespace testing_support

/// Skips a test that is about the file itself (its header, its journal, SQLite's catalog).
#define COFFER_FILE_LEDGER_ONLY()                                                                  \
    do {                                                                                           \
        if (testing_support::TestDb::OnServer())                                                   \
            GTEST_SKIP() << "about the ledger file itself";                                        \
    } while (false)
