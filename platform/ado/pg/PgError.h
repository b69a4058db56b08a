#pragma once

#include "platform/ado/ComError.h"

#include <string>

struct pg_conn;
struct pg_result;

namespace ado {

/// The engine errors of the server engine: what happened in the plain words every window
/// uses, then the server's own message for those who need it, on the same line (the
/// command-line tools print an error as one line).
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
    /// The error of a statement the server did not answer within `seconds`: given up and its
    /// connection dropped, so an open transaction is rolled back whole; a single statement
    /// the server had not begun may still run once it answers again.
    static ComError Timeout(const std::string& location, int seconds);
    /// The server's words on one line: libpq puts hints and socket paths on lines of their own.
    static std::string OneLine(const std::string& text);
    /// The five-character SQLSTATE of a failed result, or "".
    static std::string State(pg_result* result);
};

} // namespace ado
