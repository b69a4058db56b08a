// The later tables on a ledger made before them, the same on the file and on the server: the
// count read and written through the engine, the tables made with keys that number
// themselves, and a second Add leaving everything as it is.
#include "data/LedgerAdditions.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;

void Exec(CADODatabase& db, const std::string& sql) {
    CADORecordset rs(&db);
    rs.Open(sql, CADORecordset::ModeUnknown);
}

TEST(LedgerAdditionsTest, AnOlderLedgerGainsTheTablesAndTheCountOnce) {
    TestDb ledger;
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(CLedgerAdditions::Read(db), CLedgerAdditions::kLatest);

    // Back to a ledger of before the plan tables.
    for (const char* table : {"planBudget", "planRecurring", "planOccurrence"})
        Exec(db, std::string("drop table ") + table);
    CLedgerAdditions::Write(db, 0);
    ASSERT_TRUE(db.Open()); // the tables changed under the connection
    EXPECT_EQ(CLedgerAdditions::Read(db), 0);

    CLedgerAdditions::Add(db, CLedgerAdditions::kPlan);
    EXPECT_EQ(CLedgerAdditions::Read(db), CLedgerAdditions::kPlan);
    Exec(db, "insert into planBudget (支出项目, 预算) values ('餐饮', 2000)");
    Exec(db, "insert into planBudget (支出项目, 预算) values ('交通', 300)");
    EXPECT_EQ(ledger.Query("select ID, 支出项目, 预算 from planBudget order by ID"),
              (Rows{{"1", "餐饮", "2000"}, {"2", "交通", "300"}}));
    Exec(db, "insert into planOccurrence (模板, 日期) values (1, '2010-11-01')");
    EXPECT_EQ(ledger.Scalar("select count(*) from planOccurrence"), "1");

    // A second Add finds the tables and keeps their rows.
    CLedgerAdditions::Add(db, CLedgerAdditions::kPlan);
    EXPECT_EQ(ledger.Scalar("select count(*) from planBudget"), "2");
    EXPECT_EQ(CLedgerAdditions::Read(db), CLedgerAdditions::kPlan);
}

TEST(LedgerAdditionsTest, AServerLedgerMadeBeforeItsMarkerTableGainsOne) {
    if (!TestDb::OnServer())
        GTEST_SKIP() << "about the server's marker table";
    TestDb ledger;
    ledger.Exec("drop table coffer_ledger; drop table planBudget; drop table planRecurring; "
                "drop table planOccurrence");
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open()); // still a ledger by its tables
    EXPECT_EQ(CLedgerAdditions::Read(db), 0);
    CLedgerAdditions::Add(db, CLedgerAdditions::kPlan);
    EXPECT_EQ(ledger.Query("select application_id, user_version from coffer_ledger"),
              (Rows{{"1131374182", "1"}}));
    EXPECT_EQ(ledger.Scalar("select count(*) from planBudget"), "0");
}

} // namespace
