#include "platform/ado/pg/PgError.h"

#include <libpq-fe.h>

namespace ado {
namespace {

// The server's messages end in a line feed; descriptions do not.
std::string Trimmed(const char* text) {
    std::string message = text ? text : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

} // namespace

const char* const PgError::kSource = "Coffer PostgreSQL Engine";

ComError PgError::Make(HRESULT code, const std::string& description) {
    return ComError(code, kSource, description);
}

std::string PgError::State(pg_result* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? state : "";
}

ComError PgError::FromResult(pg_result* result, pg_conn* connection) {
    std::string message =
        result ? Trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)) : std::string();
    if (message.empty())
        message = Trimmed(connection ? PQerrorMessage(connection) : "");
    const std::string state = State(result);
    const std::string cls = state.substr(0, 2);
    if (state == "42P01")
        return Make(DB_E_NOTABLE, "The engine cannot find the table (" + message + ").");
    if (state == "42703")
        return Make(DB_E_PARAMNOTOPTIONAL, "Unknown column (" + message + ").");
    if (cls == "42")
        return Make(DB_E_ERRORSINCOMMAND, "Syntax error in the SQL text (" + message + ").");
    if (cls == "23")
        return Make(DB_E_INTEGRITYVIOLATION,
                    "The change violates a rule of the table (" + message + ").");
    if (cls == "22")
        return Make(DISP_E_TYPEMISMATCH, "Data type mismatch (" + message + ").");
    if (state == "55P03" || state == "40001" || state == "40P01")
        return Make(E_FAIL, "The ledger is busy with another user's change (" + message + ").");
    return Make(E_FAIL, message);
}

ComError PgError::FromConnect(pg_conn* connection, const std::string& location) {
    return Make(E_FAIL, "Could not connect to the ledger server " + location + " (" +
                            Trimmed(connection ? PQerrorMessage(connection) : "out of memory") +
                            ").");
}

ComError PgError::Lost(pg_conn* connection, const std::string& location) {
    return Make(E_FAIL, "The connection to the ledger server " + location +
                            " was lost; the next action connects again (" +
                            Trimmed(connection ? PQerrorMessage(connection) : "") + ").");
}

} // namespace ado
