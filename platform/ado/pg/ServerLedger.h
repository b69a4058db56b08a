#pragma once

#include <string>

namespace ado {

/// Engine functions for a ledger on a PostgreSQL server, reached by libpq's connection URI.
class ServerLedger {
public:
    /// What a connection attempt found, for telling the user in plain words.
    enum class Check {
        Ok,            ///< the database holds a ledger
        Unreachable,   ///< no server answers there
        WrongPassword, ///< the server refused the user or the password
        NoDatabase,    ///< the server has no database of that name
        NotLedger,     ///< the database holds no Coffer ledger
        Failed,        ///< anything else; `detail` says what
    };

    /// Connects to `uri` and looks for a ledger there; `detail` gets the server's words.
    static Check Test(const std::string& uri, std::string& detail);
    /// What a failed connection's message (libpq's words) says went wrong.
    static Check Classify(const std::string& message);
    /// A check's outcome in the plain words every window uses for it.
    static const char* Explain(Check check);

    /// Moves the file ledger at `file` into the empty database at `uri`: every table of the
    /// file with its indexes and every row with its ids, in one transaction; the key
    /// sequences continue past the highest id the file ever gave. Refuses a database that
    /// already holds any of the tables. False with `error` saying why; nothing is then left
    /// on the server.
    static bool CopyFromFile(const std::string& file, const std::string& uri, std::string& error);

    /// Replaces the rows of the ledger at `uri` with those of the file ledger at `file`, in
    /// one transaction: every table of the server is emptied and filled with the file's rows
    /// and ids (a table only the file has is made), the key sequences continue past the
    /// highest id the file ever gave. Waits up to `waitMs` for another program's locks. False
    /// with `error` saying why, and `busy` when it was that wait; nothing is then changed.
    static bool ReplaceFromFile(const std::string& file, const std::string& uri, int waitMs,
                                std::string& error, bool& busy);
};

} // namespace ado
