#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>

namespace testing_support {

/// A PostgreSQL cluster of the test's own, on a Unix socket in a temporary folder, for tests
/// that stop and start the server: the shared test server must stay up for the others. Made
/// and run by the postgres user, stopped and removed with the object.
class TestCluster {
public:
    TestCluster();
    ~TestCluster();
    TestCluster(const TestCluster&) = delete;
    TestCluster& operator=(const TestCluster&) = delete;

    /// libpq's URI for a database of this cluster, as user postgres.
    std::string Uri(const std::string& database) const;
    void Stop();
    void Start();
    /// Runs statements as postgres in the database; throws std::runtime_error on failure.
    void Exec(const std::string& database, const std::string& sql) const;

private:
    int Run(const std::string& command) const;

    std::filesystem::path m_folder;
    std::string m_bin;
};

} // namespace testing_support
