#pragma once

#include "platform/ado/AdoConstants.h"
#include "platform/ado/SqliteHandles.h"

#include <map>
#include <string>
#include <vector>

namespace ado {

class PendingRead;

/// A connection to one SQLite database file, with the operations and results of the
/// engine's Connection object. Failures throw ComError; the results are the success codes.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Opens the file named by "Data Source=" in the connection text (relative to the
    /// current directory), read-write, never creating it. A missing file, a file that is
    /// not an SQLite database and a locked file are errors (E_FAIL naming the file); a
    /// foreign file is never written. Opening an open connection is an error.
    HRESULT Open(const std::string& connectionText, const std::string& user,
                 const std::string& password, long options);
    /// Closes the file; cursors still open first read the rest of their rows and keep them.
    HRESULT Close();
    ObjectState State() const { return m_db ? adStateOpen : adStateClosed; }

    /// Starts a transaction (taking the write lock at once); returns the nesting level 1.
    long BeginTrans();
    HRESULT CommitTrans();
    HRESULT RollbackTrans();

    /// The absolute path of the file a connection text names by "Data Source=" (relative
    /// to the current directory); empty when it names none.
    static std::string DataSourcePath(const std::string& connectionText);

    /// The absolute path of the open file (or of the last one tried).
    const std::string& FilePath() const { return m_path; }

    // For the engine's cursors.
    sqlite3* Handle() const;
    void Register(PendingRead* reader);
    void Unregister(PendingRead* reader);
    /// Lets every cursor finish its reading, so that the coming write commits.
    void FinishPendingReads();
    /// A prepared statement for a write text, prepared once per connection and reset.
    sqlite3_stmt* CachedStatement(const std::string& sql);
    /// Runs a text that returns no rows, after finishing pending reads.
    void Execute(const std::string& sql);
    [[noreturn]] void ThrowError(int rc) const;

private:
    void CheckIsSqliteFile() const;

    DatabasePtr m_db;
    std::string m_path;
    std::vector<PendingRead*> m_readers;
    std::map<std::string, StatementPtr> m_statements;
};

} // namespace ado
