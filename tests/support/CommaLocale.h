#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace testing_support {

/// The name of a locale whose numbers use a decimal comma (German), for the tests that
/// money must survive it. Where the machine has none, one is made with localedef from the
/// locales package's sources into a folder of the user's (LOCPATH then points there), once
/// for every test process. Empty when it cannot be had; `why` then says why.
std::string CommaLocale(std::string& why);

/// For test mains: when COFFER_TEST_LOCALE is set, makes the process run under the comma
/// locale the way a desktop session with such a "Formats" region does (LC_ALL for Qt and
/// the C library, the C++ global locale too). False, with `why`, when that is impossible.
bool EnterTestLocale(std::string& why);

/// Skips every test of a run that was to be under the comma locale but cannot be, saying why.
class MissingLocale : public testing::Environment {
public:
    explicit MissingLocale(std::string why) : m_strWhy(std::move(why)) {}
    void SetUp() override { GTEST_SKIP() << m_strWhy; }

private:
    std::string m_strWhy;
};

} // namespace testing_support
