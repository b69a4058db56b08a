// coffer-backup as cron runs it: exit status, one line on failure, nothing partial left.
#include "platform/ado/LedgerCopy.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDb.h"

#include "data/StarterDatabase.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

struct BackupRun {
    int exitCode;
    std::string out;
    std::string err;
};

BackupRun RunBackup(const std::string& arguments) {
    const std::string command = std::string(COFFER_BACKUP) + " " + arguments + " 2>stderr.txt";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe))
        out += buffer.data();
    const int status = pclose(pipe);
    std::ifstream in("stderr.txt");
    const std::string err((std::istreambuf_iterator<char>(in)), {});
    fs::remove("stderr.txt");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, err};
}

void MakeLedger(const std::string& path) {
    std::string error;
    ASSERT_TRUE(CreateStarterDatabase(path, error)) << error;
}

TEST(CofferBackupTest, PrintsItsVersion) {
    testing_support::TempDir dir;
    const BackupRun run = RunBackup("--version");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "coffer-backup 1.0\n");
}

TEST(CofferBackupTest, BacksUpDataMdbIntoAFolderUnderATimedName) {
    testing_support::TempDir dir;
    MakeLedger("data.mdb");
    fs::create_directory("nas");
    const BackupRun run = RunBackup("nas");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("nas"))
        names.push_back(entry.path().filename().string());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].size(), std::string("data-20261207-063147.mdb").size());
    EXPECT_EQ(names[0].rfind("data-", 0), 0u);
    EXPECT_TRUE(ado::VerifyLedgerFile("nas/" + names[0]).Ok());
    struct stat info {};
    ::stat(("nas/" + names[0]).c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(run.out.find(names[0]), std::string::npos);
}

// The README's cron line runs in the data folder; after the ledger moved (a setting, or a
// server), a stale data.mdb left there must not be what is backed up.
TEST(CofferBackupTest, WithoutALedgerTheHouseholdLedgerIsBackedUpWhereverItLives) {
    testing_support::TempDir dir;
    MakeLedger("data.mdb"); // stale: no records
    fs::create_directory("moved");
    MakeLedger("moved/ledger.mdb");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open("moved/ledger.mdb", &db), SQLITE_OK);
    sqlite3_exec(db, "INSERT INTO normalIncome (收入人员, 收入金额) VALUES ('爸爸', 1)", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    ::setenv("COFFER_LEDGER", (dir.Path() / "moved/ledger.mdb").c_str(), 1);
    const BackupRun run = RunBackup("out.mdb");
    ::unsetenv("COFFER_LEDGER");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ado::VerifyLedgerFile("out.mdb").incomeRecords, 1);
}

TEST(CofferBackupTest, AFileNameIsWrittenAndReplacedWhole) {
    testing_support::TempDir dir;
    MakeLedger("ledger.db");
    ASSERT_EQ(RunBackup("ledger.db copy.mdb").exitCode, 0);
    const BackupRun again = RunBackup("ledger.db copy.mdb");
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(ado::VerifyLedgerFile("copy.mdb").Ok());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("."))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 2u);
}

struct Failure {
    const char* name;
    const char* arguments;
    const char* reason; // in the one line on standard error
};

const Failure kFailures[] = {
    {"MissingLedger", "absent.mdb out.mdb", "(missing)"},
    {"ForeignLedger", "notes.txt out.mdb", "(not a Coffer ledger)"},
    {"MissingFolder", "data.mdb no/such/folder/out.mdb", "(write failed)"},
    {"DamagedLedger", "damaged.mdb out.mdb", "(damaged)"},
};

class CofferBackupFailureTest : public testing::TestWithParam<Failure> {};

TEST_P(CofferBackupFailureTest, ExitsOneWithOneLineAndLeavesNothing) {
    testing_support::TempDir dir;
    MakeLedger("data.mdb");
    std::ofstream("notes.txt") << "not a ledger\n";
    MakeLedger("damaged.mdb");
    {
        std::fstream file("damaged.mdb", std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(100);
        file << std::string(3000, 'x');
    }
    const BackupRun run = RunBackup(GetParam().arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("coffer-backup: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(GetParam().reason), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_FALSE(fs::exists("out.mdb"));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("."))
        ++files;
    EXPECT_EQ(files, 3u); // data.mdb, notes.txt, damaged.mdb
}

INSTANTIATE_TEST_SUITE_P(Runs, CofferBackupFailureTest, testing::ValuesIn(kFailures),
                         [](const auto& failure) { return std::string(failure.param.name); });

TEST(CofferBackupTest, WrongArgumentsAreAUsageError) {
    testing_support::TempDir dir;
    const BackupRun run = RunBackup("a b c");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("usage: coffer-backup"), std::string::npos);
}

// A ledger on the test server, backed up by its URI.
class CofferBackupServerTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("COFFER_TEST_PGHOST"))
            GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
        setenv("COFFER_TEST_ENGINE", "server", 1);
        m_db = std::make_unique<testing_support::TestDb>();
    }
    void TearDown() override {
        m_db.reset();
        unsetenv("COFFER_TEST_ENGINE");
    }
    std::unique_ptr<testing_support::TestDb> m_db;
};

TEST_F(CofferBackupServerTest, WritesAFileLedgerOfAServerLedger) {
    m_db->Exec("INSERT INTO normalIncome (收入人员, 收入金额) SELECT '爸爸', i FROM "
               "generate_series(1, 25) i");
    const BackupRun run = RunBackup("'" + m_db->Uri() + "' out.mdb");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const ado::LedgerCopyResult verified = ado::VerifyLedgerFile("out.mdb");
    EXPECT_TRUE(verified.Ok()) << verified.detail;
    EXPECT_EQ(verified.incomeRecords, 25);
    EXPECT_EQ(verified.payRecords, 0);
}

TEST_F(CofferBackupServerTest, WithoutALedgerTheServerLedgerOfTheSettingIsBackedUp) {
    m_db->Exec("INSERT INTO normalIncome (收入人员, 收入金额) SELECT '爸爸', i FROM "
               "generate_series(1, 7) i");
    const BackupRun run = RunBackup("out.mdb");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ado::VerifyLedgerFile("out.mdb").incomeRecords, 7);
}

TEST_F(CofferBackupServerTest, AServerThatDoesNotAnswerIsOneLineWithoutThePassword) {
    const BackupRun run =
        RunBackup("'postgresql://anna:secret@/coffer?host=/nonexistent&connect_timeout=2' out.mdb");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("server unreachable"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("secret"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists("out.mdb"));
}

} // namespace
