#include "platform/ado/PasswordStore.h"

#include "platform/ado/sqlite/SqliteHandles.h"

#include <sodium.h>
#include <sqlite3.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace ado::password_store {
namespace {

// Any Argon2 string libsodium can verify. A stored value with this prefix is checked only as
// a hash: typing the hash string itself must never log in.
constexpr std::string_view kHashPrefix = "$argon2";

} // namespace

std::string Hash(const std::string& password) {
    // Safe to call again and from any thread; fails only when the system has no source of
    // randomness, and then no salt could be made.
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot be initialised");
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("not enough memory to hash a password");
    return out;
}

bool IsHash(std::string_view stored) {
    return stored.starts_with(kHashPrefix);
}

int HashPlainRows(sqlite3* db) {
    std::vector<std::pair<sqlite3_int64, std::string>> plain;
    {
        sqlite3_stmt* raw = nullptr;
        // A file without the table (or its columns) has no passwords to hide.
        if (sqlite3_prepare_v2(db, "SELECT rowid, password FROM main.tbUser", -1, &raw,
                               nullptr) != SQLITE_OK)
            return SQLITE_OK;
        const StatementPtr select(raw);
        int rc;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 1));
            if (text != nullptr && !IsHash(text))
                plain.emplace_back(sqlite3_column_int64(raw, 0), text);
        }
        if (rc != SQLITE_DONE)
            return rc;
    }
    if (plain.empty())
        return SQLITE_OK;
    std::vector<std::pair<sqlite3_int64, std::string>> hashed;
    try {
        for (const auto& [row, password] : plain)
            hashed.emplace_back(row, Hash(password));
    } catch (const std::exception&) {
        return SQLITE_NOMEM;
    }
    // Freed cells are zeroed, so the text a hash replaces leaves no trace in the file.
    sqlite3_exec(db, "PRAGMA secure_delete = ON", nullptr, nullptr, nullptr);
    int rc = sqlite3_exec(db, "SAVEPOINT coffer_passwords", nullptr, nullptr, nullptr);
    sqlite3_stmt* raw = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db, "UPDATE main.tbUser SET password = ?1 WHERE rowid = ?2", -1,
                                &raw, nullptr);
    const StatementPtr update(raw);
    for (size_t i = 0; rc == SQLITE_OK && i < hashed.size(); ++i) {
        sqlite3_reset(raw);
        sqlite3_bind_text(raw, 1, hashed[i].second.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(raw, 2, hashed[i].first);
        rc = sqlite3_step(raw) == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "RELEASE coffer_passwords", nullptr, nullptr, nullptr);
    else
        sqlite3_exec(db, "ROLLBACK TO coffer_passwords; RELEASE coffer_passwords", nullptr,
                     nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA secure_delete = OFF", nullptr, nullptr, nullptr);
    return rc;
}

} // namespace ado::password_store
