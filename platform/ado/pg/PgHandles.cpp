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
    // A server that goes away without a word (a NAS off the network) is noticed within a
    // minute; the address may set these otherwise, the encoding it may not.
    const char* const keywords[] = {"connect_timeout",   "keepalives",          "keepalives_idle",
                                    "keepalives_interval", "keepalives_count", "tcp_user_timeout",
                                    "dbname",            "client_encoding",     nullptr};
    const char* const values[] = {"10", "1", "20", "5", "4", "40000", uri.c_str(), "UTF8", nullptr};
    PgConnPtr conn(PQconnectdbParams(keywords, values, 1));
    // Whatever the server, the database, the role or PGOPTIONS set as their defaults: a
    // backslash is an ordinary character in quoted text (so doubled quotes are all the
    // escaping a text needs), text travels as UTF-8 and dates as the program reads them.
    if (conn && PQstatus(conn.get()) == CONNECTION_OK)
        PgResultPtr(PQexec(conn.get(), "SET standard_conforming_strings = on; "
                                       "SET client_encoding = 'UTF8'; "
                                       "SET DateStyle = 'ISO, YMD'"));
    return conn;
}

} // namespace ado
