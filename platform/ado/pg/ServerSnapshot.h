#pragma once

#include "platform/ado/LedgerCopy.h"
#include "platform/ado/pg/PgHandles.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace ado {

/// A step of copying a ledger that failed, and which kind of failure it was.
struct CopyError : std::runtime_error {
    CopyError(CopyProblem why, const std::string& what) : std::runtime_error(what), problem(why) {}
    CopyProblem problem;
};

/// One column of a server ledger's table.
struct SnapshotColumn {
    std::string name;
    unsigned type = 0;
    bool key = false;
};

/// One table of a server ledger, with what a file ledger needs to make it again.
struct SnapshotTable {
    std::string name;      // as the catalog keeps it
    std::string qualified; // as a statement names it
    std::vector<SnapshotColumn> columns;
    std::string create;               // the file's CREATE TABLE text
    std::vector<std::string> indexes; // the file's CREATE INDEX texts
    long long sequence = 0;           // the highest id the server ever gave
    long long rows = 0;
};

/// A ledger on a server as it was at one moment: one read-only transaction over a
/// connection of its own, for a backup. Throws CopyError.
class ServerSnapshot {
public:
    explicit ServerSnapshot(const std::string& uri);

    /// Runs one statement with text parameters and gives its whole result.
    PgResultPtr Exec(const std::string& sql, const std::vector<std::string>& params = {});
    /// Every table of the ledger but the marker table, in the order they were made.
    std::vector<SnapshotTable> Tables();
    /// The ledger's count of later tables.
    long long Version();
    pg_conn* Handle() const { return m_conn.get(); }

private:
    PgConnPtr m_conn;
};

} // namespace ado
