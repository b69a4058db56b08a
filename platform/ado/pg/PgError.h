#pragma once

#include "platform/ado/ComError.h"

#include <string>

struct pg_conn;
struct pg_result;

namespace ado {

/// The engine errors of the server engine, with the server's own message in the description.
class PgError {
public:
    /// The error source the server engine's errors carry.
    static const char* const kSource;

    static ComError Make(HRESULT code, const std::string& description);
    /// The error of a failed statement (`result` may be null when nothing came back).
    static ComError FromResult(pg_result* result, pg_conn* connection);
    /// The error of a connection attempt that failed, naming where it was made.
    static ComError FromConnect(pg_conn* connection, const std::string& location);
    /// The error of a connection that went away; the next action connects again.
    static ComError Lost(pg_conn* connection, const std::string& location);
    /// The five-character SQLSTATE of a failed result, or "".
    static std::string State(pg_result* result);
};

} // namespace ado
