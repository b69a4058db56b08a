#include "platform/ado/pg/PgHandles.h"

#include <libpq-fe.h>

namespace ado {

void PgConnCloser::operator()(pg_conn* connection) const {
    PQfinish(connection);
}

void PgResultClearer::operator()(pg_result* result) const {
    PQclear(result);
}

} // namespace ado
