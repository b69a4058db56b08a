#pragma once

#include <memory>

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

} // namespace ado
