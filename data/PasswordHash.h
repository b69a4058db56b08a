#pragma once

#include <string>

class CADORecordset;

/// How a typed password compares with what tbUser holds for it.
enum class PasswordMatch {
    No,        ///< wrong password (or no stored password at all)
    Yes,       ///< verifies against a current hash
    YesRehash, ///< right, but the row holds plain text or an outdated hash: store a new one
};

/// The password store of tbUser: Argon2id hash strings (libsodium's interactive limits),
/// never the passwords themselves. Dialogs hand texts in and get verdicts out; only this
/// unit knows what a hash string looks like.
class PasswordHash {
public:
    /// A new hash string of `password`, with a fresh salt. Throws std::runtime_error when
    /// the hash cannot be made (out of memory).
    static std::string Hash(const std::string& password);
    /// Checks a typed password against a stored value. A stored value that is not a hash
    /// string is a password kept as plain text by an older ledger: it matches only when
    /// equal byte for byte (so a missing row's empty password matches only an empty one).
    static PasswordMatch Verify(const std::string& stored, const std::string& typed);
    /// Sets a password column of the record being added or edited to a new hash of
    /// `password`; the caller then commits with Update. Returns SetFieldValue's result.
    static bool SetField(CADORecordset& rs, int nIndex, const std::string& password);
    static bool SetField(CADORecordset& rs, const std::string& strFieldName,
                         const std::string& password);
    /// The verdict for a user name the ledger does not hold: always No, after the same work
    /// as verifying a real user's password (against a fixed hash of a password nobody
    /// knows), so the time a login takes does not tell which names exist.
    static PasswordMatch VerifyUnknownUser(const std::string& typed);
    /// The fixed hash VerifyUnknownUser verifies against.
    static const char* UnknownUserHash();
    /// Whether a stored value is one of our hash strings (never the password itself).
    static bool IsHash(const std::string& stored);
};
