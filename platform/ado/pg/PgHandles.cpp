#include "platform/ado/pg/PgHandles.h"

#include <libpq-fe.h>

namespace ado {

void PgConnCloser::operator()(pg_conn* connection) const {
    PQfinish(connection);
}

void PgResultClearer::operator()(pg_result* result) const {
    PQclear(result);
}

PgConnPtr ConnectTo(const std::string& uri) {
    const char* const keywords[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
    const char* const values[] = {"10", uri.c_str(), "UTF8", nullptr};
    return PgConnPtr(PQconnectdbParams(keywords, values, 1));
}

} // namespace ado
