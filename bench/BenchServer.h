#pragma once

#include <string>

namespace bench {

/// The server the server benchmarks read from: the test server if one runs
/// (COFFER_TEST_PGHOST), else a throwaway cluster made by the test command's script and
/// removed again when the program ends.
class BenchServer {
public:
    BenchServer();
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    std::string Uri(const std::string& database) const;
    /// The ledger file moved into `database` on the server, the first time only.
    std::string Ledger(const std::string& database, const std::string& file) const;
    /// The shared bench ledger (LedgerFile) on the server.
    std::string Ledger(const std::string& database) const;

    /// Runs a statement that returns no rows; throws std::runtime_error on failure.
    static void Run(const std::string& uri, const std::string& sql);

private:
    std::string m_host;
    std::string m_state; // the script's variables of a cluster of our own
};

/// One server for every benchmark of the program, stopped when the program ends.
const BenchServer& Server();

} // namespace bench
