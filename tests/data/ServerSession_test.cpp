// A server ledger's session sets what the program's SQL texts rely on, whatever the server,
// the database or the role were set to by their owner.
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ole/OleDateTime.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;

TEST(ServerSessionTest, TextsAndDatesSurviveAServerSetUpOtherwise) {
    if (!TestDb::OnServer())
        GTEST_SKIP() << "about the server's session settings";
    TestDb ledger;
    // As a server whose owner kept the old escaping and another date style would have it.
    ::setenv("PGOPTIONS", "-c standard_conforming_strings=off -c DateStyle=SQL,DMY", 1);
    {
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(db.Open());
        CADORecordset rs(&db);
        // Texts as the entry windows write them: quotes doubled, nothing else escaped.
        rs.Open("insert into normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
                "values ('爸爸', 1, #2010-11-13#, '餐饮', 'C:\\')",
                CADORecordset::ModeUnknown);
        rs.Open("insert into normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) "
                "values ('妈妈', 2, #2010-11-14#, '餐饮', 'a\\'' or ''1''=''1')",
                CADORecordset::ModeUnknown);
        ASSERT_TRUE(rs.Open("select 支出日期 from normalPay where 支出人员 = '妈妈'",
                            CADORecordset::ModeQuery));
        COleDateTime when;
        rs.GetFieldValue(0, when);
        EXPECT_EQ(when, COleDateTime(2010, 11, 14, 0, 0, 0));
    }
    ::unsetenv("PGOPTIONS");
    EXPECT_EQ(ledger.Query("select 备注 from normalPay order by 编号"),
              (Rows{{"C:\\"}, {"a\\' or '1'='1"}}));
}

} // namespace
