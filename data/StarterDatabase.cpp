#include "data/StarterDatabase.h"

#include "data/NumberText.h"
#include "data/PrivateFile.h"
#include "platform/ado/LedgerSchema.h"
#include "platform/ado/PasswordStore.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <filesystem>

namespace {

bool HashStarterPasswords(sqlite3* db, std::string& why) {
    const int rc = ado::password_store::HashPlainRows(db);
    if (rc != SQLITE_OK)
        why = sqlite3_errstr(rc);
    return rc == SQLITE_OK;
}

bool Exec(sqlite3* db, const std::string& sql, std::string& why) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    why = message ? message : "unknown error";
    sqlite3_free(message);
    return false;
}

} // namespace

const char* StarterSchemaSql() {
    return ado::ledger_schema::ProgramSql();
}

bool CreateStarterDatabase(const std::string& path, std::string& error) {
    // Claim the name atomically: an existing file, however it got there, is never touched.
    // The ledger is private from its first byte, whatever the umask.
    if (!PrivateFile::Create(path, error))
        return false;

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
        return fail("cannot open " + path + ": " +
                    (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    // A new ledger holds the later tables from the start.
    std::string sql =
        std::string("PRAGMA secure_delete = ON;\nBEGIN;\n") + ado::ledger_schema::ProgramSql();
    for (const ado::ledger_schema::Addition& addition : ado::ledger_schema::Additions()) {
        if (addition.number == 0)
            continue; // made by its feature when wanted
        for (const std::string& statement : addition.file)
            sql += statement + ";\n";
    }
    sql += "PRAGMA user_version = " + NumberText::Itoa(ado::ledger_schema::Latest()) + ";\n";
    std::string why;
    try {
        // The schema text names the starter passwords; the file gets their hashes, in the same
        // transaction, so a plain password never reaches the disk.
        if (!Exec(raw, sql, why) || !HashStarterPasswords(raw, why) || !Exec(raw, "COMMIT;", why)) {
            db.reset();
            return fail("cannot create the tables in " + path + ": " + why);
        }
    } catch (const std::exception& e) {
        db.reset();
        return fail("cannot create the tables in " + path + ": " + e.what());
    }
    db.reset();
    return true;
}
