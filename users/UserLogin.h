#pragma once

#include <functional>
#include <string>

class CADODatabase;

/// The check behind every login (the login window, the phone page): the user's row of
/// tbUser and its Argon2id hash. Without widgets, so every way in shares it.
class CUserLogin {
public:
    enum class Outcome { Empty, Wrong, Right };

    /// Checks `strUser` and `strPassword` on the open ledger. An unknown user is Wrong like
    /// a wrong password. A password an older ledger keeps as plain text is replaced by its
    /// hash when right, after `onRight` has run: the user is in either way, and a ledger
    /// that cannot be written only says so. Engine errors are thrown.
    static Outcome Check(CADODatabase& db, const std::string& strUser,
                         const std::string& strPassword,
                         const std::function<void()>& onRight = {});
};
