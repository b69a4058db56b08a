#pragma once

#include <string>
#include <string_view>

struct sqlite3;

namespace ado {

/// The form tbUser keeps passwords in: Argon2id hash strings (libsodium's interactive
/// limits). The data layer's PasswordHash verifies typed passwords against them; the engine
/// needs the hashing itself, because no ledger it opens and no copy it makes may keep a
/// password an older ledger stored as plain text.
namespace password_store {

/// A new hash string of `password`, with a fresh salt. Throws std::runtime_error when the
/// hash cannot be made (no randomness, out of memory).
std::string Hash(const std::string& password);
/// Whether a stored value is one of our hash strings rather than a plain password.
bool IsHash(std::string_view stored);

/// Replaces every plain password in tbUser of the open file `db` by its hash, in one
/// transaction, the freed text overwritten with zeros; a file without tbUser or without
/// plain passwords is not written. SQLite's result code.
int HashPlainRows(sqlite3* db);

} // namespace password_store
} // namespace ado
