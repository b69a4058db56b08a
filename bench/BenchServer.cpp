#include "BenchServer.h"

#include "BenchLedger.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ado/pg/ServerLedger.h"

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace bench {
namespace {

std::string Shell(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    if (pclose(pipe) != 0)
        throw std::runtime_error(command + " failed: " + out);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace

BenchServer::BenchServer() {
    if (const char* host = std::getenv("COFFER_TEST_PGHOST"); host && *host) {
        m_host = host;
        return;
    }
    m_state = Shell(". " COFFER_SOURCE_DIR "/scripts/pg-cluster.sh && coffer_pg_start >&2 && "
                    "echo \"coffer_pg_dir='$coffer_pg_dir' "
                    "COFFER_TEST_PGBIN='$COFFER_TEST_PGBIN' "
                    "COFFER_TEST_PGDATA='$COFFER_TEST_PGDATA' as_postgres='$as_postgres'\"");
    m_host = Shell(m_state + "; echo \"$coffer_pg_dir\"");
}

BenchServer::~BenchServer() {
    if (!m_state.empty())
        std::system(
            (". " COFFER_SOURCE_DIR "/scripts/pg-cluster.sh; " + m_state + "; coffer_pg_stop")
                .c_str());
}

std::string BenchServer::Uri(const std::string& database) const {
    return "postgresql:///" + database + "?host=" + m_host + "&user=postgres";
}

std::string BenchServer::Ledger(const std::string& database, const std::string& file) const {
    const std::string uri = Uri(database);
    std::string detail;
    if (ado::ServerLedger::Test(uri, detail) == ado::ServerLedger::Check::Ok)
        return uri;
    Run(Uri("postgres"), "CREATE DATABASE " + database);
    std::fprintf(stderr, "moving %s to the server (once)...\n", file.c_str());
    std::string error;
    if (!ado::ServerLedger::CopyFromFile(file, uri, error))
        throw std::runtime_error(error);
    Run(uri, "VACUUM ANALYZE");
    return uri;
}

std::string BenchServer::Ledger(const std::string& database) const {
    return Ledger(database, LedgerFile());
}

void BenchServer::Run(const std::string& uri, const std::string& sql) {
    const ado::PgConnPtr conn(PQconnectdb(uri.c_str()));
    const ado::PgResultPtr result(PQexec(conn.get(), sql.c_str()));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        throw std::runtime_error(sql + ": " + PQerrorMessage(conn.get()));
}

const BenchServer& Server() {
    static const BenchServer server;
    return server;
}

} // namespace bench
