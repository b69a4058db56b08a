#include "tests/search/SearchFixture.h"

#include "backup/BackupFolder.h"
#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "exchange/LedgerExport.h"
#include "exchange/LedgerImport.h"
#include "inquiry/InquiryTwin.h"
#include "inquiry/ListedRecord.h"
#include "plan/RecurringBook.h"
#include "platform/ado/pg/FileLedgerReader.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/ole/Clock.h"

#include <libpq-fe.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

using Ids = std::vector<std::string>;

// After every kind of write the index finds what reading every record finds.
class SearchUpkeepTest : public SearchFixture {
protected:
    SearchUpkeepTest() {
        ole::SetClock([] { return COleDateTime(2024, 3, 20, 9, 0, 0); });
        Add("收入", "爸爸", 2399, "2024-03-02 10:00:00", "工资", "云膳过桥米线");
        Add("支出", "妈妈", 28.16, "2024-03-15 12:00:00", "餐饮", "物业费 三月");
        EXPECT_TRUE(EnsureIndex());
    }
    ~SearchUpkeepTest() override { ole::ResetClock(); }

    // The same with and without the index.
    Ids Both(const std::string& text) {
        const Ids scanned = Found(text, false);
        EXPECT_EQ(Found(text, true), scanned) << text;
        return scanned;
    }
};

TEST_F(SearchUpkeepTest, AddEditAndDeleteAsTheWindowsDo) {
    // The entry window's add.
    CADORecordset add(&m_connection);
    ASSERT_TRUE(add.Open("normalPay", CADORecordset::ModeTable));
    ASSERT_TRUE(add.AddNew());
    add.SetFieldValue("支出人员", std::string("孩子"));
    add.SetFieldValue("支出金额", 199.0);
    add.SetFieldValue("支出日期", COleDateTime(2024, 3, 18, 16, 0, 0));
    add.SetFieldValue("支出项目", std::string("教育"));
    add.SetFieldValue("备注", std::string("钢琴课 Piano"));
    ASSERT_TRUE(add.Update());
    add.Close();
    EXPECT_EQ(Both("钢琴课"), (Ids{"支出2"}));
    EXPECT_EQ(Both("199"), (Ids{"支出2"}));

    // The editor's change of the same record.
    CADORecordset edit(&m_connection);
    ASSERT_TRUE(edit.Open("select * from normalPay where 编号 = 2", CADORecordset::ModeQuery));
    edit.Edit();
    edit.SetFieldValue("备注", std::string("小提琴课"));
    edit.SetFieldValue("支出金额", 250.5);
    ASSERT_TRUE(edit.Update());
    edit.Close();
    EXPECT_EQ(Both("钢琴课"), Ids{});
    EXPECT_EQ(Both("提琴课"), (Ids{"支出2"}));
    EXPECT_EQ(Both("199"), Ids{});
    EXPECT_EQ(Both("250.50"), (Ids{"支出2"}));

    // The inquiry windows' delete.
    double dAmount = 0;
    EXPECT_EQ(CListedRecord(m_connection, kPayInquiry, "2").Delete(dAmount),
              CListedRecord::Deleted);
    EXPECT_EQ(Both("提琴课"), Ids{});
    EXPECT_EQ(Both("米线"), (Ids{"收入1"}));
}

TEST_F(SearchUpkeepTest, ImportedRecords) {
    const std::filesystem::path file = m_db.Directory() / "bank.csv";
    std::ofstream(file) << "编号,金额,成员,日期,类别,备注\n"
                           ",88.80,妈妈,2024-03-19 18:00:00,餐饮,导入的过桥米线\n";
    const std::string connection = LedgerConnectionText(
        testing_support::TestDb::OnServer() ? m_db.Uri() : m_db.FilePath().string());
    const ImportSummary summary =
        ImportLedgerFile(connection, file, ImportOptions{ImportKind::Expense, false, false});
    ASSERT_EQ(summary.nImported, 1u) << summary.strError;
    EXPECT_EQ(Both("过桥米线"), (Ids{"支出2", "收入1"}));
    EXPECT_EQ(Both("88.8"), (Ids{"支出2"}));
}

TEST_F(SearchUpkeepTest, RecurringRecords) {
    RecurringTemplate tmpl;
    tmpl.strMember = "爸爸";
    tmpl.strItem = "住房";
    tmpl.nCents = 150000;
    tmpl.strNote = "每月房租";
    tmpl.nDay = 5;
    tmpl.first = CPlanDate(2024, 3, 1);
    CRecurringBook book(m_connection);
    std::string strError;
    ASSERT_TRUE(book.Save(tmpl, strError)) << strError;
    const std::vector<DueOccurrence> due = book.Due(CPlanDate(2024, 3, 20));
    ASSERT_EQ(due.size(), 1u);
    ASSERT_TRUE(book.Make(due[0]));
    EXPECT_EQ(Both("房租"), (Ids{"支出2"}));
    EXPECT_EQ(Both("1500"), (Ids{"支出2"}));
}

TEST_F(SearchUpkeepTest, RenamedMemberKeepsTheRecordsAsWritten) {
    // The base data window changes the list entry only; the records keep the name they were
    // written with, and the search finds them by it.
    m_db.Exec("UPDATE 家庭成员 SET 类型 = '老爸' WHERE 类型 = '爸爸'");
    EXPECT_EQ(Both("老爸"), Ids{});
    EXPECT_EQ(Both("爸爸"), (Ids{"收入1"}));
}

TEST_F(SearchUpkeepTest, Restore) {
    const std::string ledger =
        testing_support::TestDb::OnServer() ? m_db.Uri() : m_db.FilePath().string();
    CBackupFolder folder(ledger);
    ASSERT_TRUE(folder.BackUpNow().Ok());
    const BackupEntry backup = folder.List().front();
    Add("支出", "孩子", 12, "2024-03-19 08:00:00", "交通", "备份之后的地铁");
    m_db.Exec("DELETE FROM normalIncome WHERE 编号 = 1");
    EXPECT_EQ(Both("地铁"), (Ids{"支出2"}));

    m_connection.Close();
    ole::SetClock([] { return COleDateTime(2024, 3, 21, 9, 0, 0); });
    ASSERT_EQ(folder.Restore(backup).step, RestoreOutcome::Done);
    ASSERT_TRUE(m_connection.Open());
    // As the window does on opening: an index the restore took away is made again.
    EXPECT_TRUE(EnsureIndex());
    EXPECT_EQ(Both("地铁"), Ids{});
    EXPECT_EQ(Both("米线"), (Ids{"收入1"}));
}

TEST_F(SearchUpkeepTest, StaleOrMissingIndexIsMadeAgain) {
    COFFER_FILE_LEDGER_ONLY();
    // Emptied behind the triggers' back: the counts no longer agree.
    m_db.Exec("INSERT INTO searchPay(searchPay) VALUES ('delete-all')");
    EXPECT_EQ(CSearchIndex::Inspect(m_connection), CSearchIndex::Stale);
    EXPECT_TRUE(EnsureIndex());
    EXPECT_EQ(Both("物业费"), (Ids{"支出1"}));
    // A trigger gone: written records would be missed, so the index counts as missing.
    m_db.Exec("DROP TRIGGER searchIncome_insert");
    EXPECT_EQ(CSearchIndex::Inspect(m_connection), CSearchIndex::Missing);
    EXPECT_TRUE(EnsureIndex());
    Add("收入", "妈妈", 5000, "2024-03-19 08:00:00", "奖金", "年终奖金");
    EXPECT_EQ(Both("年终奖"), (Ids{"收入2"}));
}

} // namespace

namespace {

// A searched file ledger moving to a server takes its records, not its word index: the
// server makes its own kind.
TEST_F(SearchUpkeepTest, AFileMovingToAServerLeavesItsIndexBehind) {
    COFFER_FILE_LEDGER_ONLY();
    std::vector<std::string> names;
    for (const ado::FileTable& table : ado::FileLedgerReader(m_db.FilePath().string()).Tables())
        names.push_back(table.name);
    EXPECT_EQ(names, (std::vector<std::string>{"normalIncome", "normalPay", "家庭成员", "收入类型",
                                               "支出类型", "baseData", "tbUser", "planBudget",
                                               "planRecurring", "planOccurrence", "accountList",
                                               "accountLink", "accountTransfer",
                                               "accountReconcile", "phoneSubmission", "billOrder",
                                               "billChoice", "pictureStore", "pictureLink",
                                               "bankScheme"}));
}

} // namespace

namespace {

// Two ledgers of one server database searched for the first time at the same moment: the
// one that loses the race to add the trigram extension still gets its index.
TEST(SearchServerIndex, TheSecondToAddTheExtensionStillGetsItsIndex) {
    using testing_support::TestDb;
    if (!TestDb::OnServer())
        GTEST_SKIP() << "about the server's extension";
    TestDb ledgerFile;
    const std::string database = "coffer_trgm_" + std::to_string(getpid());
    const auto exec = [](const std::string& uri, const std::string& sql) {
        const ado::PgConnPtr conn(PQconnectdb(uri.c_str()));
        const ado::PgResultPtr result(PQexec(conn.get(), sql.c_str()));
        ASSERT_EQ(PQresultStatus(result.get()), PGRES_COMMAND_OK) << PQerrorMessage(conn.get());
    };
    exec(TestDb::ServerUri("postgres"), "CREATE DATABASE " + database);
    const std::string uri = TestDb::ServerUri(database);
    {
        std::string error;
        ASSERT_TRUE(ado::ServerLedger::CopyFromFile(ledgerFile.FilePath().string(), uri, error) &&
                    CLedgerAdditions::Complete(uri, error))
            << error;
        // The other copy has added the extension and not yet committed.
        const ado::PgConnPtr other(PQconnectdb(uri.c_str()));
        ado::PgResultPtr(PQexec(other.get(), "BEGIN"));
        const ado::PgResultPtr added(
            PQexec(other.get(), "CREATE EXTENSION pg_trgm SCHEMA public"));
        ASSERT_EQ(PQresultStatus(added.get()), PGRES_COMMAND_OK) << PQerrorMessage(other.get());
        std::thread commit([&other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ado::PgResultPtr(PQexec(other.get(), "COMMIT"));
        });
        CADODatabase db;
        db.SetConnectionString("Data Source=" + uri);
        db.Open();
        const bool made = CSearchIndex::Ensure(db, error);
        commit.join();
        EXPECT_TRUE(made) << error;
        EXPECT_EQ(CSearchIndex::Inspect(db), CSearchIndex::Ready);
    }
    exec(TestDb::ServerUri("postgres"), "DROP DATABASE " + database + " WITH (FORCE)");
}

} // namespace
