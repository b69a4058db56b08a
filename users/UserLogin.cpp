#include "users/UserLogin.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/PasswordHash.h"
#include "data/SqlText.h"

CUserLogin::Outcome CUserLogin::Check(CADODatabase& db, const std::string& strUser,
                                      const std::string& strPassword,
                                      const std::function<void()>& onRight) {
    if (strPassword.empty() || strUser.empty())
        return Outcome::Empty;
    CADORecordset rs(&db);
    if (!rs.Open("select * from tbUser where user = '" + QuoteSql(strUser) + "'",
                 CADORecordset::ModeQuery))
        return Outcome::Wrong;
    // An unknown user is refused after the same work as a known one, so the time a login
    // takes does not tell which names exist.
    const bool bKnown = !(rs.IsEOF() && rs.IsBOF());
    std::string stored;
    if (bKnown)
        rs.GetFieldValue("password", stored);
    const PasswordMatch match = bKnown ? PasswordHash::Verify(stored, strPassword)
                                       : PasswordHash::VerifyUnknownUser(strPassword);
    if (match == PasswordMatch::No)
        return Outcome::Wrong;
    if (onRight)
        onRight();
    if (match == PasswordMatch::YesRehash) {
        rs.Edit();
        PasswordHash::SetField(rs, "password", strPassword);
        rs.Update();
    }
    return Outcome::Right;
}
