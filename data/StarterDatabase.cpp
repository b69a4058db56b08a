#include "data/StarterDatabase.h"

#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/PasswordHash.h"
#include "data/PrivateFile.h"
#include "data/SchemaSql.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace {

// The schema text names the starter passwords; the file gets their hashes, in the same
// transaction, so a plain password never reaches the disk.
bool HashStarterPasswords(sqlite3* db, std::string& why) {
    std::vector<std::pair<sqlite3_int64, std::string>> rows;
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "select ID, password from tbUser", -1, &raw, nullptr) !=
            SQLITE_OK) {
            why = sqlite3_errmsg(db);
            return false;
        }
        const ado::StatementPtr select(raw);
        while (sqlite3_step(raw) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 1));
            if (text != nullptr && !PasswordHash::IsHash(text))
                rows.emplace_back(sqlite3_column_int64(raw, 0), text);
        }
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "update tbUser set password = ?1 where ID = ?2", -1, &raw,
                           nullptr) != SQLITE_OK) {
        why = sqlite3_errmsg(db);
        return false;
    }
    const ado::StatementPtr update(raw);
    for (const auto& [id, password] : rows) {
        const std::string hash = PasswordHash::Hash(password);
        sqlite3_reset(raw);
        sqlite3_bind_text(raw, 1, hash.c_str(), static_cast<int>(hash.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(raw, 2, id);
        if (sqlite3_step(raw) != SQLITE_DONE) {
            why = sqlite3_errmsg(db);
            return false;
        }
    }
    return true;
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
    return kSchemaSql;
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
    std::string sql = std::string("PRAGMA secure_delete = ON;\nBEGIN;\n") + kSchemaSql;
    for (int nAddition = 1; nAddition <= CLedgerAdditions::kLatest; ++nAddition) {
        for (const std::string& statement : CLedgerAdditions::Statements(nAddition))
            sql += statement + ";\n";
    }
    sql += "PRAGMA user_version = " + NumberText::Itoa(CLedgerAdditions::kLatest) + ";\n";
    std::string why;
    try {
        // Freed space is zeroed, so the plain text a hash replaces leaves no trace in the file.
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
