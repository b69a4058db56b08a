#pragma once

#include <memory>
#include <string>

struct pg_conn;
struct pg_result;

namespace ado {

/// Closes a server connection.
struct PgConnCloser {
    void operator()(pg_conn* connection) const;
};

/// Frees a server result.
struct PgResultClearer {
    void operator()(pg_result* result) const;
};

using PgConnPtr = std::unique_ptr<pg_conn, PgConnCloser>;
using PgResultPtr = std::unique_ptr<pg_result, PgResultClearer>;

/// Connects to `uri` (libpq's connection URI) with texts in UTF-8, giving up on a server
/// that does not answer after a while rather than hanging the window. Null only when out of
/// memory; the caller checks the connection's status.
PgConnPtr ConnectTo(const std::string& uri);

} // namespace ado
