#pragma once

#include "platform/ado/pg/PgHandles.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ado {

/// One connection to a ledger server: statements with their results fetched whole, the
/// open transaction and the tables it holds locked. A lost connection is reported once and
/// the next statement connects again.
class PgSession {
public:
    using Params = std::vector<std::optional<std::string>>;

    /// Connects to `uri`; `location` names the server in messages. Throws ComError.
    PgSession(std::string uri, std::string location);

    void Close();
    /// Runs one statement with text parameters and gives its whole result; a statement the
    /// server refuses for a serialization failure or a deadlock is tried again a few times
    /// when no transaction is open. Throws ComError.
    PgResultPtr Query(const std::string& sql, const Params& params = {});
    /// The same with the result in the server's binary form.
    PgResultPtr QueryBinary(const std::string& sql);
    /// As Query, through a statement prepared once per connection.
    PgResultPtr Prepared(const std::string& sql, const Params& params);
    /// What the statement would give back, learned without running it.
    PgResultPtr DescribeStatement(const std::string& sql);
    /// Inside a transaction, the first use of a table locks it until the end, so that no
    /// other copy changes or adds its rows meanwhile.
    void LockForTransaction(const std::string& table);
    void Begin();
    void Commit();
    void Rollback();

    /// How long a statement may take: the server cancels it after this, and the session
    /// stops waiting for an answer a little later (a server that stalled, a NAS gone from the
    /// network), drops the connection and says so; the next statement connects again.
    static void SetStatementTimeout(std::chrono::milliseconds limit);

private:
    /// Waits for the answer to what was just sent (`sent` false: sending failed), up to the
    /// limit; the last result, or the first that failed.
    PgResultPtr Await(bool sent);
    /// Gives up a connection whose server does not answer.
    [[noreturn]] void Abandon();
    void Connect();
    /// Connects on a thread of its own while someone waits, so the windows stay drawn.
    PgConnPtr ConnectAwayFromCaller();
    void EnsureConnected();
    /// Sends a statement with the parameter values, and again after a serialization failure.
    using Send = std::function<bool(const char* const* values, int count)>;
    PgResultPtr Retrying(const Params& params, const Send& send);
    PgResultPtr Finish(PgResultPtr result, bool& retry, int attempt);

    std::string m_uri;
    std::string m_location;
    PgConnPtr m_conn;
    bool m_lost = false;
    bool m_inTransaction = false;
    /// A statement of this connection waits for its answer.
    bool m_waiting = false;
    std::set<std::string> m_locked;
    std::map<std::string, std::string> m_prepared;
};

} // namespace ado
