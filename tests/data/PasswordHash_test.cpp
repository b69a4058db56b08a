#include "data/PasswordHash.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <string>

namespace {

TEST(PasswordHashTest, HashesAreArgon2idWithTheirOwnSaltAndNeverThePassword) {
    const std::string first = PasswordHash::Hash("73950");
    const std::string second = PasswordHash::Hash("73950");
    for (const std::string& hash : {first, second}) {
        EXPECT_TRUE(hash.starts_with("$argon2id$")) << hash;
        EXPECT_EQ(hash.find("73950"), std::string::npos) << hash;
        EXPECT_TRUE(PasswordHash::IsHash(hash));
        EXPECT_EQ(PasswordHash::Verify(hash, "73950"), PasswordMatch::Yes);
        // libsodium's interactive limits: 64 MiB, two passes.
        EXPECT_NE(hash.find("$m=65536,t=2,p=1$"), std::string::npos) << hash;
    }
    EXPECT_NE(first, second);
}

TEST(PasswordHashTest, VerifiesHashesAndPlainTextRows) {
    const std::string hashed = PasswordHash::Hash("it's Me");
    const struct {
        std::string stored;
        std::string typed;
        PasswordMatch expected;
    } cases[] = {
        {hashed, "it's Me", PasswordMatch::Yes},
        {hashed, "it's me", PasswordMatch::No},  // letter case matters
        {hashed, "it's Me ", PasswordMatch::No}, // no trimming
        {hashed, "", PasswordMatch::No},
        {hashed, hashed, PasswordMatch::No}, // the hash string itself is no password
        // A row an older ledger kept as plain text: exact match only, then it is rehashed.
        {"p'w", "p'w", PasswordMatch::YesRehash},
        {"Secret", "secret", PasswordMatch::No},
        {"73950", "73950 ", PasswordMatch::No},
        {"密码", "密码", PasswordMatch::YesRehash},
        // An unknown user's empty password matches no typed one.
        {"", "73950", PasswordMatch::No},
        // Something that only looks like a hash is checked as one and never as plain text.
        {"$argon2id$broken", "$argon2id$broken", PasswordMatch::No},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PasswordHash::Verify(c.stored, c.typed), c.expected)
            << "[" << c.stored << "] [" << c.typed << "]";
}

TEST(PasswordHashTest, AHashMadeWithOtherLimitsIsAcceptedAndMarkedForRehash) {
    ASSERT_GE(sodium_init(), 0);
    char older[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str(older, "pw", 2, crypto_pwhash_OPSLIMIT_INTERACTIVE + 1,
                                crypto_pwhash_MEMLIMIT_INTERACTIVE / 2),
              0);
    EXPECT_EQ(PasswordHash::Verify(older, "pw"), PasswordMatch::YesRehash);
    EXPECT_EQ(PasswordHash::Verify(older, "PW"), PasswordMatch::No);
}

TEST(PasswordHashTest, PasswordsWithZeroBytesAreHashedWhole) {
    const std::string typed("ab\0cd", 5);
    const std::string hash = PasswordHash::Hash(typed);
    EXPECT_EQ(PasswordHash::Verify(hash, typed), PasswordMatch::Yes);
    EXPECT_EQ(PasswordHash::Verify(hash, "ab"), PasswordMatch::No);
}

} // namespace
