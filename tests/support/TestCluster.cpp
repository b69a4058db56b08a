#include "tests/support/TestCluster.h"

#include "platform/ado/pg/PgHandles.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <stdexcept>

namespace testing_support {
namespace {

std::string PostgresBin() {
    if (const char* bin = std::getenv("COFFER_TEST_PGBIN"); bin && *bin)
        return bin;
    return "/usr/lib/postgresql/15/bin";
}

} // namespace

TestCluster::TestCluster() : m_bin(PostgresBin()) {
    std::string pattern = "/tmp/coffer-cluster-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder for the cluster");
    m_folder = pattern;
    if (Run("chown postgres " + m_folder.string() + " && " + "runuser -u postgres -- " + m_bin +
            "/initdb -D " + m_folder.string() +
            "/data -U postgres -A trust --no-sync -E UTF8 --locale=C.UTF-8 >/dev/null") != 0)
        throw std::runtime_error("initdb failed in " + m_folder.string());
    Start();
}

TestCluster::~TestCluster() {
    Run("runuser -u postgres -- " + m_bin + "/pg_ctl -D " + m_folder.string() +
        "/data -s -m immediate stop >/dev/null 2>&1");
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

int TestCluster::Run(const std::string& command) const {
    // Through runuser: the server refuses to run as root, which the test command is.
    return std::system(command.c_str());
}

void TestCluster::Start() {
    if (Run("runuser -u postgres -- " + m_bin + "/pg_ctl -D " + m_folder.string() + "/data -l " +
            m_folder.string() + "/log -w -s -o \"-c listen_addresses='' " +
            "-c unix_socket_directories='" + m_folder.string() + "' -c fsync=off\" start") != 0)
        throw std::runtime_error("the cluster in " + m_folder.string() + " did not start");
}

void TestCluster::Stop() {
    if (Run("runuser -u postgres -- " + m_bin + "/pg_ctl -D " + m_folder.string() +
            "/data -s -m fast -w stop") != 0)
        throw std::runtime_error("the cluster in " + m_folder.string() + " did not stop");
}

std::string TestCluster::Uri(const std::string& database) const {
    return "postgresql:///" + database + "?host=" + m_folder.string() + "&user=postgres";
}

void TestCluster::Exec(const std::string& database, const std::string& sql) const {
    const ado::PgConnPtr conn(PQconnectdb(Uri(database).c_str()));
    PQsetNoticeProcessor(
        conn.get(), [](void*, const char*) {}, nullptr);
    const ado::PgResultPtr result(PQexec(conn.get(), sql.c_str()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(PQerrorMessage(conn.get()) + (": " + sql));
}

} // namespace testing_support
