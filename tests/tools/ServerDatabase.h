#pragma once

#include <string>
#include <vector>

namespace testing_support {

using Rows = std::vector<std::vector<std::string>>;

/// A fresh empty database on the test server (COFFER_TEST_PGHOST), dropped again afterwards.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    std::string Uri() const;
    Rows Query(const std::string& sql) const { return Run(Uri(), sql); }
    /// The rows of a statement at `uri`, NULL as "<NULL>"; a failure fails the test.
    static Rows Run(const std::string& uri, const std::string& sql);

private:
    static void Admin(const std::string& sql);

    static inline int s_count = 0;
    std::string m_name;
};

/// The rows of a statement on a ledger file, NULL as "<NULL>".
Rows FileRows(const std::string& path, const std::string& sql);

/// Numbers compare as numbers (the engines print them differently), all else as text.
bool SameCell(const std::string& a, const std::string& b);

} // namespace testing_support
