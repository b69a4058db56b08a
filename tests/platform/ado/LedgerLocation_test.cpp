// Where the household ledger lives: the variable, then the settings file, then the file here;
// and the settings file keeps its other lines when the ledger line changes.
#include "platform/ado/LedgerLocation.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

using ado::LedgerLocation;

std::string Contents(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Sets a variable for the test's lifetime and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(LedgerLocationTest, TheVariableComesFirstThenTheSettingsFileThenTheFileHere) {
    testing_support::TempDir dir;
    const ScopedVariable config("XDG_CONFIG_HOME", dir.Path().c_str());
    const ScopedVariable ledger("COFFER_LEDGER", nullptr);
    EXPECT_EQ(LedgerLocation::ConfigFile(), (dir.Path() / "coffer" / "coffer.conf").string());
    EXPECT_EQ(LedgerLocation::Current(), "");

    std::filesystem::create_directories(dir.Path() / "coffer");
    std::ofstream(dir.Path() / "coffer" / "coffer.conf")
        << "# shared ledger\n  ledger =  postgresql://nas/coffer  \ntheme=dark\n";
    EXPECT_EQ(LedgerLocation::Current(), "postgresql://nas/coffer");

    const ScopedVariable set("COFFER_LEDGER", "/srv/ledger/data.mdb");
    EXPECT_EQ(LedgerLocation::Current(), "/srv/ledger/data.mdb");
    const ScopedVariable empty("COFFER_LEDGER", "");
    EXPECT_EQ(LedgerLocation::Current(), "postgresql://nas/coffer");
}

TEST(LedgerLocationTest, OnlyServerUrisSelectTheServer) {
    EXPECT_TRUE(LedgerLocation::IsServer("postgresql://nas/coffer"));
    EXPECT_TRUE(LedgerLocation::IsServer("postgres:///coffer?host=/run/pg"));
    EXPECT_FALSE(LedgerLocation::IsServer("/home/ma/postgresql://x"));
    EXPECT_FALSE(LedgerLocation::IsServer("data.mdb"));
    EXPECT_FALSE(LedgerLocation::IsServer(""));
}

TEST(LedgerLocationTest, StoringKeepsTheOtherLinesAndAnEmptyValueRemovesTheLedger) {
    testing_support::TempDir dir;
    const std::string conf = (dir.Path() / "new" / "coffer" / "coffer.conf").string();
    std::string error;
    ASSERT_TRUE(LedgerLocation::Store(conf, "postgresql://nas/coffer", error)) << error;
    EXPECT_EQ(Contents(conf), "ledger=postgresql://nas/coffer\n");

    std::ofstream(conf, std::ios::app) << "theme=dark\n";
    ASSERT_TRUE(LedgerLocation::Store(conf, "postgresql://home/books", error)) << error;
    EXPECT_EQ(Contents(conf), "theme=dark\nledger=postgresql://home/books\n");
    EXPECT_EQ(LedgerLocation::Read(conf), "postgresql://home/books");

    ASSERT_TRUE(LedgerLocation::Store(conf, "", error)) << error;
    EXPECT_EQ(Contents(conf), "theme=dark\n");
    EXPECT_EQ(LedgerLocation::Read(conf), "");
    EXPECT_FALSE(std::filesystem::exists(conf + ".new"));
}

TEST(LedgerLocationTest, AnUnwritableFolderIsReportedAndTheOldSettingsStay) {
    testing_support::TempDir dir;
    const auto conf = dir.Path() / "coffer.conf";
    std::ofstream(conf) << "ledger=/old/data.mdb\n";
    // A folder where the settings' folder should be makes the write fail.
    std::filesystem::create_directories(dir.Path() / "blocked" / "coffer.conf.new");
    std::string error;
    EXPECT_FALSE(LedgerLocation::Store((dir.Path() / "blocked" / "coffer.conf").string(),
                                       "postgresql://nas/coffer", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(LedgerLocation::Read(conf.string()), "/old/data.mdb");
}

} // namespace
