#include "data/PasswordHash.h"

#include "data/ADORecordset.h"

#include <sodium.h>

#include <stdexcept>
#include <string_view>

namespace {

// Any Argon2 string libsodium can verify. A stored value with this prefix is checked only as
// a hash: typing the hash string itself must never log in.
constexpr std::string_view kHashPrefix = "$argon2";

void InitSodium() {
    // Safe to call again and from any thread; fails only when the system has no source of
    // randomness, and then no salt could be made.
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot be initialised");
}

} // namespace

std::string PasswordHash::Hash(const std::string& password) {
    InitSodium();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("not enough memory to hash a password");
    return out;
}

bool PasswordHash::IsHash(const std::string& stored) {
    return stored.starts_with(kHashPrefix);
}

PasswordMatch PasswordHash::Verify(const std::string& stored, const std::string& typed) {
    if (!IsHash(stored))
        return stored == typed ? PasswordMatch::YesRehash : PasswordMatch::No;
    InitSodium();
    if (crypto_pwhash_str_verify(stored.c_str(), typed.data(), typed.size()) != 0)
        return PasswordMatch::No;
    const int outdated = crypto_pwhash_str_needs_rehash(
        stored.c_str(), crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE);
    return outdated == 0 ? PasswordMatch::Yes : PasswordMatch::YesRehash;
}

bool PasswordHash::SetField(CADORecordset& rs, int nIndex, const std::string& password) {
    return rs.SetFieldValue(nIndex, Hash(password));
}

bool PasswordHash::SetField(CADORecordset& rs, const std::string& strFieldName,
                            const std::string& password) {
    return rs.SetFieldValue(strFieldName, Hash(password));
}
