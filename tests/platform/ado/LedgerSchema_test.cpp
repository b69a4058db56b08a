// The one list of Coffer's own schema objects: every statement in it runs, twice, and what
// it makes is exactly what the restore check takes as ours.
#include "platform/ado/LedgerSchema.h"
#include "platform/ado/sqlite/SchemaCheck.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using namespace ado;

TEST(LedgerSchemaTest, EveryStatementRunsAgainAndMakesOnlyWhatTheChecksTakeAsOurs) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, ledger_schema::ProgramSql(), nullptr, nullptr, nullptr), SQLITE_OK);
    int expected = 1;
    for (const ledger_schema::Addition& addition : ledger_schema::Additions()) {
        if (addition.number != 0)
            EXPECT_EQ(addition.number, expected++) << "counted ones numbered from 1 without gaps";
        EXPECT_EQ(&ledger_schema::Named(addition.name), &addition);
        for (int round = 0; round < 2; ++round)
            for (const std::string& statement : addition.file)
                EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr),
                          SQLITE_OK)
                    << statement << ": " << sqlite3_errmsg(db);
    }
    EXPECT_EQ(ledger_schema::Latest(), expected - 1);
    for (const auto rule : {ledger_check::SchemaRule::Open, ledger_check::SchemaRule::Restore}) {
        int rc = SQLITE_OK;
        const ledger_check::SchemaFinding finding = ledger_check::CheckSchema(db, rule, rc);
        EXPECT_EQ(rc, SQLITE_OK);
        EXPECT_TRUE(finding.Ok()) << finding.Describe();
    }
    sqlite3_close(db);
}

} // namespace
