// Passwords an older ledger keeps as plain text: hashed as soon as the ledger is opened, on
// either engine, whether or not their users ever log in again.
#include "data/ADODatabase.h"
#include "data/PasswordHash.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TestDb;

TEST(PlainPasswordsTest, OpeningALedgerHashesEveryPlainPassword) {
    TestDb ledger;
    ledger.Exec("UPDATE tbUser SET password = '73950'");
    ledger.Exec("INSERT INTO tbUser (\"user\", password) VALUES ('妈妈', 'it''s mine')");
    ledger.Exec("INSERT INTO tbUser (\"user\", password) VALUES ('孩子', '')");

    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());

    const auto rows = ledger.Query("SELECT password FROM tbUser ORDER BY ID");
    ASSERT_EQ(rows.size(), 3u);
    const char* typed[] = {"73950", "it's mine", ""};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(PasswordHash::IsHash(rows[i][0])) << rows[i][0];
        EXPECT_EQ(PasswordHash::Verify(rows[i][0], typed[i]), PasswordMatch::Yes) << typed[i];
    }
}

// The login of a name the ledger does not hold does the same work as a wrong password of a
// real user: a hash with the limits every new password gets.
TEST(PlainPasswordsTest, AnUnknownUserIsCheckedAgainstAHashOfTheSameCost) {
    const std::string unknown = PasswordHash::UnknownUserHash();
    const std::string real = PasswordHash::Hash("73950");
    ASSERT_TRUE(PasswordHash::IsHash(unknown));
    // "$argon2id$v=19$m=…,t=…,p=…$": the algorithm and its limits, before the salt.
    const auto limits = [](const std::string& hash) {
        return hash.substr(0, hash.find('$', hash.find("m=")));
    };
    EXPECT_EQ(limits(unknown), limits(real));
    for (const char* typed : {"", "73950", "root"})
        EXPECT_EQ(PasswordHash::VerifyUnknownUser(typed), PasswordMatch::No);
}

} // namespace
