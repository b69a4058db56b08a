#include "data/StarterDatabase.h"

#include "data/SchemaSql.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

const char* StarterSchemaSql() {
    return kSchemaSql;
}

bool CreateStarterDatabase(const std::string& path, std::string& error) {
    // Claim the name atomically: an existing file, however it got there, is never touched.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        error = errno == EEXIST ? path + " already exists"
                                : "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    ::close(fd);

    auto fail = [&](const std::string& why) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        std::filesystem::remove(path + "-journal", ec);
        error = why;
        return false;
    };
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    ado::DatabasePtr db(raw);
    if (rc != SQLITE_OK)
        return fail("cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    const std::string script = std::string("BEGIN;\n") + kSchemaSql + "\nCOMMIT;";
    char* message = nullptr;
    if (sqlite3_exec(raw, script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "unknown error";
        sqlite3_free(message);
        db.reset();
        return fail("cannot create the tables in " + path + ": " + why);
    }
    db.reset();
    return true;
}
