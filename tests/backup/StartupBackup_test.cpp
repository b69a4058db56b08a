// The backup Coffer makes by itself when it starts, and the one before the ledger gains
// tables.
#include "backup/LedgerBackups.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ModalScript.h"
#include "tests/backup/BackupFixture.h"

#include "backup/BackupDlg.h"

#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

class StartupBackupTest : public BackupFixture {};

TEST_F(StartupBackupTest, TheLedgerNamedByTheConnectionTextIsBackedUp) {
    EXPECT_EQ(CLedgerBackups::LedgerPath(), fs::absolute("data.mdb").string());
    EXPECT_EQ(CLedgerBackups::LedgerPath(), Ledger());
}

TEST_F(StartupBackupTest, ABackupIsMadeSilentlyOnlyWhenTheLedgerChanged) {
    CLedgerBackups::AtStartup(nullptr, Ledger());
    ASSERT_EQ(m_folder.List().size(), 1u);
    EXPECT_EQ(m_folder.List()[0].name, "data-20261101-090000.mdb");
    m_now = COleDateTime(2026, 11, 2, 9, 0, 0);
    CLedgerBackups::AtStartup(nullptr, Ledger()); // nothing changed since
    EXPECT_EQ(m_folder.List().size(), 1u);
    testing_support::AddRecords(Ledger(), 3);
    CLedgerBackups::AtStartup(nullptr, Ledger());
    EXPECT_EQ(m_folder.List().size(), 2u);
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(StartupBackupTest, AFailedBackupIsSaidOnceAndTheProgramGoesOn) {
    BackUpOn(1, 10);
    const std::string kept = m_folder.List()[0].path;
    testing_support::AddRecords(Ledger(), 3000);
    m_now = COleDateTime(2026, 11, 2, 9, 0, 0);
    // No room for a file as large as the ledger.
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t before = limit.rlim_cur;
    limit.rlim_cur = 64 * 1024;
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    ui::ModalScript script;
    CLedgerBackups::AtStartup(nullptr, Ledger());
    limit.rlim_cur = before;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(m_messages.Texts(), Messages{"备份没有做成：磁盘空间不足。以前的备份都还在！"});
    EXPECT_TRUE(m_messages.Questions().empty());
    EXPECT_TRUE(script.Runs().empty());
    EXPECT_EQ(testing_support::Names(m_folder.Folder()), "data-20261101-090000.mdb\n");
    EXPECT_TRUE(ado::VerifyLedgerFile(kept).Ok());
}

TEST_F(StartupBackupTest, ADamagedLedgerIsSaidPlainlyNamingTheNewestGoodBackup) {
    BackUpOn(1, 2000);
    BackUpOn(3, 10);
    std::ofstream(m_folder.Folder() + "/data-20261104-090000.mdb") << "broken since";
    testing_support::Scribble(Ledger(), 4096 * 20, 4096);
    // Found at a later start: the damage came after the last backup.
    fs::last_write_time(Ledger(), fs::last_write_time(Ledger()) + std::chrono::seconds(5));
    m_now = COleDateTime(2026, 11, 5, 9, 0, 0);
    for (int answer : {ui::IDNO, ui::IDYES}) {
        ui::ModalScript script;
        std::vector<std::string> listed;
        script.Then([&](ui::Dialog& dlg) {
            auto* list = dlg.Item<ui::ListCtrl>(CBackupDlg::IDC_BACKUP_LIST);
            for (int row = 0; row < list->GetItemCount(); ++row)
                listed.push_back(list->GetItemText(row, 0));
            return ui::IDOK;
        });
        m_messages.Answer(answer);
        CLedgerBackups::AtStartup(nullptr, Ledger());
        ASSERT_EQ(m_messages.Questions().size(), answer == ui::IDNO ? 1u : 2u);
        EXPECT_EQ(
            m_messages.Questions().back(),
            "账本文件已损坏（是账本本身的问题，不是磁盘空间），这次没有备份。最近一份完好的备份是 "
            "2026-11-03 09:00:00 的。\n要打开“备份与恢复”吗？");
        EXPECT_EQ(script.Runs(), answer == ui::IDYES ? std::vector<int>{141} : std::vector<int>{});
        if (answer == ui::IDYES) {
            EXPECT_EQ(listed, (Messages{"2026-11-04 09:00:00", "2026-11-03 09:00:00",
                                        "2026-11-01 09:00:00"}));
        }
    }
    EXPECT_EQ(m_messages.Texts().size(), 2u); // the two questions, nothing else
    EXPECT_EQ(m_folder.List().size(), 3u);
}

TEST_F(StartupBackupTest, ADamagedLedgerWithNoGoodBackupSaysThereIsNone) {
    testing_support::AddRecords(Ledger(), 2000);
    testing_support::Scribble(Ledger(), 4096 * 20, 4096);
    CLedgerBackups::AtStartup(nullptr, Ledger());
    ASSERT_EQ(m_messages.Questions().size(), 1u);
    EXPECT_NE(m_messages.Questions()[0].find("备份文件夹里没有完好的备份。"), std::string::npos);
}

TEST_F(StartupBackupTest, BeforeTheLedgerGainsTablesAVerifiedBackupIsMadeOrTheChangeStops) {
    EXPECT_TRUE(CLedgerBackups::BeforeLedgerChange(nullptr, Ledger()));
    ASSERT_EQ(m_folder.List().size(), 1u);
    EXPECT_TRUE(ado::VerifyLedgerFile(m_folder.List()[0].path).Ok());
    EXPECT_TRUE(m_messages.Texts().empty());

    testing_support::Scribble(Ledger(), 100, 3900);
    EXPECT_FALSE(CLedgerBackups::BeforeLedgerChange(nullptr, Ledger()));
    ASSERT_EQ(m_messages.Texts().size(), 1u);
    EXPECT_NE(m_messages.Texts()[0].find("已损坏"), std::string::npos) << m_messages.Texts()[0];
    EXPECT_EQ(m_folder.List().size(), 1u);
}

TEST_F(StartupBackupTest, AMissingLedgerIsLeftToTheMainWindow) {
    fs::remove(Ledger());
    CLedgerBackups::AtStartup(nullptr, Ledger());
    EXPECT_TRUE(m_messages.Texts().empty());
    EXPECT_FALSE(fs::exists(m_folder.Folder()));
}

// Users who never log in again keep no plain password in the ledger an older Coffer made,
// and the start-up backup never held one.
TEST_F(StartupBackupTest, PlainPasswordsAreHashedBeforeTheBackupIsTaken) {
    testing_support::ExecOn(Ledger(), "UPDATE tbUser SET password = 'plain-73950'");
    CLedgerBackups::AtStartup(nullptr, Ledger());
    ASSERT_EQ(m_folder.List().size(), 1u);
    for (const std::string& file : {Ledger(), m_folder.List()[0].path})
        EXPECT_EQ(testing_support::ScalarOn(file, "SELECT substr(password, 1, 7) FROM tbUser"),
                  "$argon2")
            << file;
}

// A start-up backup of a server ledger that fails says what the server said, of the server,
// and claims no earlier backups where there are none.
TEST_F(StartupBackupTest, AServerLedgerThatRefusesIsNamedAsAServer) {
    if (!std::getenv("COFFER_TEST_PGHOST"))
        GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
    const std::string noDatabase = testing_support::TestDb::ServerUri("coffer_no_such_database");
    std::string noRole = noDatabase;
    noRole.replace(noRole.find("user=postgres"), 13, "user=coffer_no_such_role");
    const std::pair<std::string, const char*> cases[] = {
        {noDatabase, "服务器上没有这个数据库"},
        {noRole, "服务器拒绝登录"},
    };
    // A server ledger's backups go to the data folder: the test's own.
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string previous = data ? data : "";
    ::setenv("XDG_DATA_HOME", m_db.Directory().c_str(), 1);
    for (const auto& [uri, said] : cases) {
        CLedgerBackups::AtStartup(nullptr, uri);
        const std::vector<std::string> texts = m_messages.Take();
        ASSERT_EQ(texts.size(), 1u) << uri;
        const std::string& text = texts[0];
        EXPECT_NE(text.find(said), std::string::npos) << text;
        EXPECT_EQ(text.find("文件"), std::string::npos) << text;
        EXPECT_EQ(text.find("以前的备份都还在"), std::string::npos) << text;
    }
    if (data)
        ::setenv("XDG_DATA_HOME", previous.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

} // namespace
