#include "data/PasswordHash.h"

#include "data/ADORecordset.h"
#include "platform/ado/PasswordStore.h"

#include <sodium.h>

#include <stdexcept>
#include <string_view>

namespace {

// A hash of 32 random bytes that were thrown away, made with the same limits as every
// password's: nothing verifies against it, and trying takes as long as a real user's check.
constexpr const char* kUnknownUserHash =
    "$argon2id$v=19$m=65536,t=2,p=1$BYg6Vpv3iXbjvM7x81BLsg$yCregkLvvahMRM/8y8ibpnYaR0Lt97PTFqvKGYXoKhI";

void InitSodium() {
    // Safe to call again and from any thread; fails only when the system has no source of
    // randomness, and then no salt could be made.
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot be initialised");
}

} // namespace

std::string PasswordHash::Hash(const std::string& password) {
    return ado::password_store::Hash(password);
}

bool PasswordHash::IsHash(const std::string& stored) {
    return ado::password_store::IsHash(stored);
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

PasswordMatch PasswordHash::VerifyUnknownUser(const std::string& typed) {
    Verify(kUnknownUserHash, typed);
    return PasswordMatch::No;
}

const char* PasswordHash::UnknownUserHash() {
    return kUnknownUserHash;
}

bool PasswordHash::SetField(CADORecordset& rs, int nIndex, const std::string& password) {
    return rs.SetFieldValue(nIndex, Hash(password));
}

bool PasswordHash::SetField(CADORecordset& rs, const std::string& strFieldName,
                            const std::string& password) {
    return rs.SetFieldValue(strFieldName, Hash(password));
}
