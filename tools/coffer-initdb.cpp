// coffer-initdb [PATH]: creates a starter data file (default ./data.mdb) for Coffer.
// coffer-initdb --server URI [--from FILE]: puts a starter ledger, or the file ledger FILE,
// into the empty database at URI on a PostgreSQL server.

#include "CofferVersion.h"
#include "data/LedgerAdditions.h"
#include "data/StarterDatabase.h"
#include "platform/ado/pg/PgBackend.h"
#include "platform/ado/pg/ServerLedger.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

const char* const kUsage = "usage: coffer-initdb [PATH]\n"
                           "       coffer-initdb --server URI [--from FILE]\n"
                           "       coffer-initdb --help | --version\n"
                           "Creates a starter Coffer data file at PATH (default ./data.mdb).\n"
                           "An existing file is never overwritten.\n"
                           "With --server, creates the ledger's tables and starter rows in the "
                           "empty PostgreSQL\ndatabase at URI (libpq's connection URI), or "
                           "moves the file ledger FILE there\nwith all its rows, in one "
                           "transaction. A database holding a ledger is refused.\n";

int ToServer(const std::string& uri, const char* from) {
    std::string error;
    const std::string shown = ado::PgBackend::Describe(uri);
    if (from) {
        if (!ado::ServerLedger::CopyFromFile(from, uri, error) ||
            !CLedgerAdditions::Complete(uri, error)) {
            std::fprintf(stderr, "coffer-initdb: %s\n", error.c_str());
            return 1;
        }
        std::printf("coffer-initdb: moved %s to %s, every row with its ids\n", from, shown.c_str());
        return 0;
    }
    // The starter rows are those of a starter file, made by the same code and moved over.
    char folder[] = "/tmp/coffer-initdb-XXXXXX";
    if (!mkdtemp(folder)) {
        std::fprintf(stderr, "coffer-initdb: cannot make a temporary folder\n");
        return 1;
    }
    const std::string starter = std::string(folder) + "/data.mdb";
    const bool made = CreateStarterDatabase(starter, error) &&
                      ado::ServerLedger::CopyFromFile(starter, uri, error) &&
                      CLedgerAdditions::Complete(uri, error);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (!made) {
        std::fprintf(stderr, "coffer-initdb: %s\n", error.c_str());
        return 1;
    }
    std::printf("coffer-initdb: created the ledger in %s\n", shown.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("coffer-initdb %s\n", kCofferVersion);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--server") == 0) {
        if (argc == 3)
            return ToServer(argv[2], nullptr);
        if (argc == 5 && std::strcmp(argv[3], "--from") == 0)
            return ToServer(argv[2], argv[4]);
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (argc > 2 ||
        (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
        std::fputs(kUsage, argc > 2 ? stderr : stdout);
        return argc > 2 ? 2 : 0;
    }
    const std::string path = argc == 2 ? argv[1] : "data.mdb";
    std::error_code ec;
    const std::string shown = std::filesystem::absolute(path, ec).string();
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        std::fprintf(stderr, "coffer-initdb: %s already exists; it was left as it is.\n",
                     shown.c_str());
        return 1;
    }
    std::string error;
    if (!CreateStarterDatabase(path, error)) {
        std::fprintf(stderr, "coffer-initdb: %s\n", error.c_str());
        return 1;
    }
    std::printf("coffer-initdb: created %s\n"
                "  tables: normalIncome, normalPay, 家庭成员, 收入类型, 支出类型, baseData, "
                "tbUser\n"
                "  user root (password 73950), 3 family members, 4 income and 7 expense "
                "categories\n",
                shown.c_str());
    return 0;
}
