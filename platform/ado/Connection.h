#pragma once

#include "platform/ado/AdoConstants.h"
#include "platform/ado/Backend.h"

#include <memory>
#include <string>
#include <vector>

namespace ado {

class PendingRead;

/// A connection to the ledger, with the operations and results of the engine's Connection
/// object, over the engine that keeps the ledger. Failures throw ComError; the results are
/// the success codes.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Opens the ledger named by "Data Source=" in the connection text: "data.mdb" is the
    /// household ledger, wherever LedgerLocation says it is (a file, or a server); a
    /// postgresql:// URI is the ledger on that server; any other name is that file (relative
    /// to the current directory). A file is opened read-write,
    /// never created. A missing file, a file that is not an SQLite database, a locked file,
    /// an unreachable server and a database without a ledger are errors (E_FAIL naming the
    /// place); a foreign file is never written. Opening an open connection is an error.
    HRESULT Open(const std::string& connectionText, const std::string& user,
                 const std::string& password, long options);
    /// Closes the ledger; cursors still open first read the rest of their rows and keep them.
    HRESULT Close();
    ObjectState State() const { return m_backend ? adStateOpen : adStateClosed; }

    /// Starts a transaction (taking the write lock at once); returns the nesting level 1.
    long BeginTrans();
    HRESULT CommitTrans();
    HRESULT RollbackTrans();

    /// The absolute path of the file a connection text names by "Data Source=" (relative
    /// to the current directory); empty when it names none.
    static std::string DataSourcePath(const std::string& connectionText);

    /// Where the open ledger is (or the last one tried): the absolute path of its file, or the
    /// server's connection URI without its password.
    const std::string& FilePath() const { return m_location; }

    /// The engine of the open connection; throws when it is closed.
    Backend& Engine() const;

    // For the engine's cursors.
    void Register(PendingRead* reader);
    void Unregister(PendingRead* reader);
    /// Lets every cursor finish its reading, so that the coming write commits.
    void FinishPendingReads();
    /// Runs an SQL text (date literals already rewritten): its rows, or nothing once a
    /// text that returns none has run.
    std::unique_ptr<BackendRows> Run(const std::string& sql);
    /// Runs a text that returns no rows, after finishing pending reads.
    void Execute(const std::string& sql);
    /// Runs the query `sql` (date literals as the cursors take them) and reads all its rows
    /// at once as BackendRows::ReadIntegers does, with no cursor left open.
    void ReadIntegers(const std::string& sql, std::vector<std::int64_t>& values);
    std::int64_t Insert(const std::string& table, const std::vector<std::string>& columns,
                        const std::vector<Variant>& values);
    long Change(const std::string& table, std::int64_t key, const std::vector<std::string>& columns,
                const std::vector<Variant>& values);
    void Delete(const std::string& table, std::int64_t key);

private:
    std::unique_ptr<Backend> m_backend;
    std::string m_location;
    std::vector<PendingRead*> m_readers;
};

} // namespace ado
