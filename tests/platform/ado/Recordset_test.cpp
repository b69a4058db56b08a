#include "platform/ado/ComError.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "tests/support/ShownValue.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ado;

class RecordsetTest : public testing::Test {
protected:
    void SetUp() override {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open("data.mdb", &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "PRAGMA application_id = 1131374182;"
                               "CREATE TABLE rec (编号 INTEGER PRIMARY KEY AUTOINCREMENT, "
                               "who TEXT, amount DOUBLE, at DATETIME, n INTEGER, flag BIT, "
                               "price CURRENCY, ratio DECIMAL(10,2), data BLOB);"
                               "CREATE TABLE list (ID INTEGER PRIMARY KEY, 类型 TEXT);",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        m_connection->Open("Data Source=data.mdb", "", "", 0);
    }

    void Sql(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open("data.mdb", &db);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(db);
    }

    // The first column of a query, read by a separate connection (so it sees only what
    // was committed).
    std::vector<std::string> Committed(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open("data.mdb", &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
        std::vector<std::string> values;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(statement, 0);
            values.emplace_back(text ? reinterpret_cast<const char*>(text) : "<NULL>");
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return values;
    }

    void Open(Recordset& rs, const std::string& text, long options = adCmdUnknown) {
        rs.Open(text, m_connection, adOpenStatic, adLockOptimistic, options);
    }

    HRESULT ErrorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const ComError& error) {
            return error.Error();
        }
        return S_OK;
    }

    testing_support::TempDir m_dir;
    std::shared_ptr<Connection> m_connection = std::make_shared<Connection>();
};

TEST_F(RecordsetTest, TableByNameIsInInsertionOrderAndTypedByDeclaration) {
    Sql("INSERT INTO rec (who, amount, at, n, flag, price, ratio, data) VALUES "
        "('b', 2.5, '2010-11-13 07:17:07', -5, 1, 12.5, 12.34, x'00ff');"
        "INSERT INTO rec (who) VALUES ('a');");
    Recordset rs;
    Open(rs, "rec", adCmdTable);
    EXPECT_EQ(rs.FieldCount(), 9);
    EXPECT_EQ(rs.FieldName(1), "who");
    EXPECT_EQ(rs.GetValue(0).IntegerValue(), 1);
    EXPECT_EQ(rs.GetValue(0).Kind(), VarKind::I4);
    EXPECT_EQ(rs.GetValue("WHO").TextValue(), "b");
    EXPECT_EQ(rs.GetValue("amount").Kind(), VarKind::R8);
    const Variant at = rs.GetValue("at");
    EXPECT_EQ(at.Kind(), VarKind::Date);
    EXPECT_NEAR(at.RealValue(), 40495.0 + (7 * 3600 + 17 * 60 + 7) / 86400.0, 1e-9);
    EXPECT_EQ(rs.GetValue("n").IntegerValue(), -5);
    EXPECT_EQ(rs.GetValue("flag").Kind(), VarKind::Bool);
    EXPECT_EQ(rs.GetValue("flag").IntegerValue(), -1);
    EXPECT_EQ(rs.GetValue("price").Kind(), VarKind::Currency);
    EXPECT_EQ(rs.GetValue("price").IntegerValue(), 125000);
    const Variant ratio = rs.GetValue("ratio");
    EXPECT_EQ(ratio.Kind(), VarKind::Decimal);
    EXPECT_EQ(ratio.DecimalData().lo64, 1234u);
    EXPECT_EQ(ratio.DecimalData().scale, 2);
    EXPECT_EQ(rs.GetValue("data").Kind(), VarKind::Binary);
    rs.MoveNext();
    EXPECT_EQ(rs.GetValue(1).TextValue(), "a");
    EXPECT_EQ(rs.GetValue("amount").Kind(), VarKind::Null);
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), ADO_E_NOCURRENTRECORD);
    EXPECT_EQ(ErrorOf([&] { rs.GetValue(0); }), ADO_E_NOCURRENTRECORD);
}

TEST_F(RecordsetTest, DecimalsTooWideForTheKindKeepTheirValue) {
    Sql("INSERT INTO rec (ratio) VALUES (1e30), (123456789012.34)");
    Recordset rs;
    Open(rs, "rec", adCmdTable);
    // What a decimal cannot hold is handed over as it is stored.
    EXPECT_EQ(rs.GetValue("ratio").Kind(), VarKind::R8);
    EXPECT_DOUBLE_EQ(rs.GetValue("ratio").RealValue(), 1e30);
    rs.MoveNext();
    EXPECT_EQ(rs.GetValue("ratio").Kind(), VarKind::Decimal);
    EXPECT_DOUBLE_EQ(rs.GetValue("ratio").DecimalData().ToDouble(), 123456789012.34);
    // Writing one is refused instead of storing a wrapped number.
    rs.AddNew();
    EXPECT_EQ(ErrorOf([&] { rs.PutValue("ratio", Variant::Real(VarKind::R8, -1e29)); }),
              DISP_E_OVERFLOW);
    rs.CancelUpdate();
}

TEST_F(RecordsetTest, EngineErrorsCarryTheirCodes) {
    Recordset rs;
    EXPECT_EQ(ErrorOf([&] { Open(rs, "select * from nosuch"); }), DB_E_NOTABLE);
    EXPECT_EQ(ErrorOf([&] { Open(rs, "nosuch", adCmdTable); }), DB_E_NOTABLE);
    EXPECT_EQ(ErrorOf([&] { Open(rs, "select * frm rec"); }), DB_E_ERRORSINCOMMAND);
    EXPECT_EQ(ErrorOf([&] { Open(rs, "select * from rec; delete from rec"); }),
              DB_E_ERRORSINCOMMAND);
    EXPECT_EQ(ErrorOf([&] { rs.IsEOF(); }), ADO_E_OBJECTCLOSED);
    EXPECT_EQ(ErrorOf([&] { rs.Close(); }), ADO_E_OBJECTCLOSED);
    Open(rs, "rec", adCmdTable);
    EXPECT_EQ(ErrorOf([&] { rs.GetValue("nosuch"); }), ADO_E_ITEMNOTFOUND);
    EXPECT_EQ(ErrorOf([&] { rs.GetValue(9); }), ADO_E_ITEMNOTFOUND);
    rs.AddNew();
    EXPECT_EQ(ErrorOf([&] { rs.PutValue("amount", Variant::Text("abc")); }), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ErrorOf([&] { rs.PutValue("at", Variant::Text("2010-02-30")); }),
              DISP_E_TYPEMISMATCH);
    rs.PutValue("编号", Variant::Text("7"));
    rs.Update();
    rs.AddNew();
    rs.PutValue("编号", Variant::Real(VarKind::R8, 7));
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), DB_E_INTEGRITYVIOLATION);
    rs.CancelUpdate();
    rs.Close();

    Connection closed;
    auto never = std::make_shared<Connection>();
    EXPECT_EQ(ErrorOf([&] { rs.Open("rec", never, adOpenStatic, adLockOptimistic, adCmdTable); }),
              ADO_E_OBJECTCLOSED);
}

TEST_F(RecordsetTest, ATableOpenedOnlyToAddReadsNothing) {
    // About 2 MB of text: reading it would show in the cursor's memory.
    Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
        "INSERT INTO list (类型) SELECT printf('%0100d', i) FROM n");
    Recordset rs;
    Open(rs, "list", adCmdTable);
    rs.AddNew();
    rs.PutValue(1, Variant::Text("new"));
    rs.Update();
    EXPECT_LT(rs.MemoryUsed(), 256u * 1024);
    EXPECT_EQ(rs.GetValue(1).TextValue(), "new");
    EXPECT_EQ(rs.GetValue(0).IntegerValue(), 20001);
    // Reading on afterwards gives every row once, the new one included.
    EXPECT_EQ(rs.RecordCount(), 20001);
    EXPECT_GT(rs.MemoryUsed(), 2000u * 1000);
    EXPECT_EQ(Committed("select count(*) from list"), std::vector<std::string>{"20001"});
}

TEST_F(RecordsetTest, AWriteCommitsWhileAnotherCursorIsHalfRead) {
    Sql("INSERT INTO list (类型) VALUES ('a'), ('b'), ('c')");
    Recordset reader;
    Open(reader, "select * from list");
    EXPECT_EQ(reader.GetValue(1).TextValue(), "a");

    Recordset writer;
    Open(writer, "list", adCmdTable);
    writer.AddNew();
    writer.PutValue(1, Variant::Text("d"));
    writer.Update();
    // Committed at once, although the reader has not finished.
    EXPECT_EQ(Committed("select 类型 from list where 类型 = 'd'"), std::vector<std::string>{"d"});
    // The reader kept its own rows.
    std::string seen;
    for (; !reader.IsEOF(); reader.MoveNext())
        seen += reader.GetValue(1).TextValue();
    EXPECT_EQ(seen, "abc");
}

TEST_F(RecordsetTest, CursorsOutlivingTheirConnectionKeepTheWholeResult) {
    Sql("INSERT INTO list (类型) VALUES ('a'), ('b'), ('c')");
    Recordset halfRead;
    Open(halfRead, "select * from list");
    EXPECT_EQ(halfRead.GetValue(1).TextValue(), "a");
    Recordset unread;
    Open(unread, "list", adCmdTable);
    m_connection->Close();
    // Not a list cut short where reading had got to.
    std::string seen;
    for (; !halfRead.IsEOF(); halfRead.MoveNext())
        seen += halfRead.GetValue(1).TextValue();
    EXPECT_EQ(seen, "abc");
    EXPECT_EQ(unread.RecordCount(), 3);
    EXPECT_EQ(unread.GetValue(1).TextValue(), "a");
}

TEST_F(RecordsetTest, RowsChangeAndDeleteInPlace) {
    Sql("INSERT INTO list (类型) VALUES ('a'), ('b'), ('c')");
    Recordset rs;
    Open(rs, "select * from list where 类型 <> 'a'");
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.PutValue(1, Variant::Text("B"));
    rs.Update();
    rs.MoveNext();
    rs.Delete(adAffectCurrent);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(ErrorOf([&] { rs.GetValue(1); }), DB_E_DELETEDROW);
    EXPECT_EQ(Committed("select 类型 from list order by ID"), (std::vector<std::string>{"a", "B"}));

    Recordset joined;
    Open(joined, "select a.类型, b.类型 from list a, list b");
    EXPECT_EQ(ErrorOf([&] { joined.PutValue(0, Variant::Text("x")); }), ADO_E_NOTUPDATABLE);
}

TEST_F(RecordsetTest, SortOrdersTheRowsByColumnsAndEditsReachTheRightRows) {
    Sql("INSERT INTO rec (who, amount, at) VALUES ('a', 2.5, '2010-01-02 00:00:00'),"
        "('b', NULL, '1899-12-29 18:00:00'), ('c', 10, '1899-12-29 06:00:00'),"
        "('d', 2.5, '2010-01-01 00:00:00')");
    Recordset rs;
    Open(rs, "select * from rec");
    auto order = [&] {
        std::string seen;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            seen += rs.GetValue("who").TextValue();
        return seen;
    };
    rs.MoveNext();
    rs.PutSort("amount DESC, [who] asc");
    EXPECT_EQ(rs.GetSort(), "amount DESC, [who] asc");
    EXPECT_EQ(rs.GetValue("who").TextValue(), "c"); // the sort moves to the first row
    EXPECT_EQ(order(), "cadb");                     // nulls count as the smallest
    rs.PutSort("at");                               // dates in time order, also before 1899
    EXPECT_EQ(order(), "cbda");
    rs.PutSort("amount, who desc");
    EXPECT_EQ(order(), "bdac");

    // Changes and deletions reach the row shown, not the one at that place unsorted.
    rs.MoveFirst();
    rs.MoveNext(); // d
    rs.PutValue("amount", Variant::Real(VarKind::R8, 7));
    rs.Update();
    rs.MoveNext(); // a
    rs.Delete(adAffectCurrent);
    rs.AddNew();
    rs.PutValue("who", Variant::Text("e"));
    rs.Update();
    EXPECT_EQ(rs.GetValue("who").TextValue(), "e");
    EXPECT_EQ(order(), "bdce"); // the new row comes last, a is gone
    EXPECT_EQ(Committed("select who || ':' || ifnull(amount, '-') from rec order by 编号"),
              (std::vector<std::string>{"b:-", "c:10.0", "d:7.0", "e:-"}));

    rs.PutSort("");
    EXPECT_EQ(order(), "bcde");

    EXPECT_EQ(ErrorOf([&] { rs.PutSort("nosuch"); }), ADO_E_ITEMNOTFOUND);
    EXPECT_EQ(ErrorOf([&] { rs.PutSort("who sideways"); }), ADO_E_ITEMNOTFOUND);
    EXPECT_EQ(ErrorOf([&] { rs.PutSort("who, "); }), ADO_E_INVALIDARGUMENT);
    EXPECT_EQ(order(), "bcde");
}

TEST_F(RecordsetTest, AStatementWithoutRowsRunsAndLeavesTheRecordsetClosed) {
    Sql("INSERT INTO list (类型) VALUES ('a'), ('b')");
    Recordset rs;
    EXPECT_EQ(
        rs.Open("delete from list", m_connection, adOpenStatic, adLockOptimistic, adCmdUnknown),
        S_OK);
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(Committed("select count(*) from list"), std::vector<std::string>{"0"});
}

TEST_F(RecordsetTest, DateLiteralsCompareAsDatesAndTextsKeepTheirApostrophes) {
    Sql("INSERT INTO rec (who, at) VALUES ('midnight', '2010-11-13 00:00:00'),"
        "('morning', '2010-11-13 07:00:00'), ('O''Brien #2010-11-13#', '2010-11-14 00:00:00')");
    Recordset rs;
    Open(rs, "select * from rec where at > #2010-11-13# and at < #2010-11-14#");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.GetValue("who").TextValue(), "morning");
    rs.Close();
    Open(rs, "select * from rec where who = 'O''Brien #2010-11-13#'");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.GetValue("who").TextValue(), "O'Brien #2010-11-13#");
}

// A SELECT that names the table's INTEGER PRIMARY KEY takes each row's rowid from that
// column; one that does not asks for the rowid itself. Either way a change and a delete reach
// exactly the row shown, wherever the key stands among the columns.
TEST_F(RecordsetTest, RowsOfAnySingleTableSelectChangeByTheirOwnKey) {
    struct Case {
        const char* sql;
        long textColumn;
    };
    const Case cases[] = {
        {"select * from list where 类型 <> 'a'", 1},
        {"select 类型, ID from list where 类型 <> 'a'", 0},
        {"select 类型, ID as k from list where 类型 <> 'a' order by 类型 desc", 0},
        {"select 类型 from list where 类型 <> 'a'", 0},
        {"select 类型, rowid from list where 类型 <> 'a'", 0},
    };
    for (const Case& c : cases) {
        Sql("DELETE FROM list; INSERT INTO list (ID, 类型) VALUES (10, 'a'), (20, 'b'), "
            "(30, 'c'), (40, 'd')");
        SCOPED_TRACE(c.sql);
        Recordset rs;
        Open(rs, c.sql);
        const std::string first = rs.GetValue(c.textColumn).TextValue();
        rs.PutValue(c.textColumn, Variant::Text(first + "!"));
        rs.Update();
        rs.MoveNext();
        const std::string second = rs.GetValue(c.textColumn).TextValue();
        rs.Delete(adAffectCurrent);
        std::vector<std::string> expected;
        for (const std::string t : {"a", "b", "c", "d"})
            if (t != second)
                expected.push_back(t == first ? t + "!" : t);
        EXPECT_EQ(Committed("select 类型 from list order by ID"), expected) << c.sql;
    }
}

TEST_F(RecordsetTest, ValueViewsShowTheStoredRowOrThePendingChange) {
    Sql("INSERT INTO list (类型) VALUES ('工资'), (NULL)");
    Recordset rs;
    Open(rs, "select * from list");
    ValueView view = rs.GetValueView(1);
    EXPECT_EQ(view.kind, VarKind::Text);
    EXPECT_EQ(view.text, "工资");
    EXPECT_EQ(rs.GetValueView("ID").integer, 1);
    rs.PutValue(1, Variant::Text("奖金"));
    EXPECT_EQ(rs.GetValueView(1).text, "奖金");
    rs.CancelUpdate();
    EXPECT_EQ(rs.GetValueView(1).text, "工资");
    rs.MoveNext();
    EXPECT_TRUE(rs.GetValueView(1).IsNull());
    EXPECT_EQ(rs.GetValue(1).Kind(), VarKind::Null);
    rs.AddNew();
    EXPECT_EQ(rs.GetValueView(1).kind, VarKind::Null);
}

TEST_F(RecordsetTest, CountIsKnownWithoutMovingAndEmptyResultsAreBothEnds) {
    Recordset rs;
    Open(rs, "select * from list");
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    rs.Close();
    Sql("INSERT INTO list (类型) VALUES ('a'), ('b'), ('c')");
    Open(rs, "select * from list");
    rs.MoveNext();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.GetValue(1).TextValue(), "b");
    EXPECT_FALSE(rs.IsBOF());
    rs.MoveFirst();
    EXPECT_EQ(rs.GetValue(1).TextValue(), "a");
}

// A forward-only cursor keeps no rows behind it, and what would need them is refused
// rather than answered from a result it no longer holds.
TEST_F(RecordsetTest, AForwardOnlyCursorHoldsOneRowAndRefusesToGoBack) {
    Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
        "INSERT INTO list (ID, 类型) SELECT i, '类型第' || i || '号' FROM n");
    const char* query = "select * from list order by ID";
    auto walk = [&](Recordset& rs, size_t& mostHeld) {
        long rows = 0;
        bool inOrder = true;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            ++rows;
            inOrder =
                inOrder && rs.GetValue(1).TextValue() == "类型第" + std::to_string(rows) + "号";
            mostHeld = std::max(mostHeld, rs.MemoryUsed());
        }
        EXPECT_TRUE(inOrder);
        return rows;
    };
    Recordset kept;
    Open(kept, query);
    size_t keptHeld = 0;
    EXPECT_EQ(walk(kept, keptHeld), 20000);

    Recordset forward;
    forward.Open(query, m_connection, adOpenForwardOnly, adLockOptimistic, adCmdText);
    EXPECT_FALSE(forward.IsBOF());
    EXPECT_EQ(forward.MoveFirst(), S_OK); // nothing passed yet
    EXPECT_EQ(ErrorOf([&] { forward.RecordCount(); }), DB_E_CANTSCROLLBACKWARDS);
    size_t forwardHeld = 0;
    EXPECT_EQ(walk(forward, forwardHeld), 20000);
    // One block of each kind, where the kept rows need many.
    EXPECT_LE(forwardHeld, 3 * 64 * 1024u);
    EXPECT_GT(keptHeld, 4 * forwardHeld);

    EXPECT_TRUE(forward.IsEOF());
    EXPECT_FALSE(forward.IsBOF()); // there were rows, behind the cursor
    EXPECT_EQ(ErrorOf([&] { forward.MoveFirst(); }), DB_E_CANTSCROLLBACKWARDS);
    EXPECT_EQ(ErrorOf([&] { forward.PutSort("类型"); }), DB_E_CANTSCROLLBACKWARDS);
    EXPECT_EQ(ErrorOf([&] { forward.MoveNext(); }), ADO_E_NOCURRENTRECORD);
}

// Rows a forward-only cursor changes, deletes or adds reach the table, and a write on its
// connection part-way leaves the rest of the walk whole.
TEST_F(RecordsetTest, AForwardOnlyWalkChangesRowsAndSurvivesAWrite) {
    Sql("INSERT INTO list (类型) VALUES ('a'), ('b'), ('c'), ('d')");
    Recordset rs;
    rs.Open("select * from list", m_connection, adOpenForwardOnly, adLockOptimistic, adCmdText);
    rs.PutValue(1, Variant::Text("A"));
    rs.MoveNext(); // writes the change
    rs.Delete(adAffectCurrent);
    EXPECT_EQ(ErrorOf([&] { rs.GetValue(1); }), DB_E_DELETEDROW);
    rs.MoveNext();
    Recordset writer;
    Open(writer, "list", adCmdTable);
    writer.AddNew();
    writer.PutValue(1, Variant::Text("e"));
    writer.Update();
    std::string seen;
    for (; !rs.IsEOF(); rs.MoveNext())
        seen += rs.GetValue(1).TextValue();
    EXPECT_EQ(seen, "cd");
    EXPECT_EQ(Committed("select 类型 from list order by ID"),
              (std::vector<std::string>{"A", "c", "d", "e"}));
}

// A forward-only cursor reads its current row where the engine holds it: every kind, also a
// value that does not fit its declared type, reads as a static cursor stores it, and the row
// stays readable when a write on the connection makes the engine step on past it.
TEST_F(RecordsetTest, AForwardOnlyCursorReadsEachValueAsAStaticOneStoresIt) {
    Sql("INSERT INTO rec (who, amount, at, n, flag, price, ratio, data) VALUES "
        "('b', 2.5, '2010-11-13 07:17:07', -5, 1, 12.5, 12.34, x'00ff'),"
        "(NULL, 'many', 'not a date', 8589934592, 'yes', 'x', 1e30, 'text in a blob'),"
        "('', 1e300, 40495.25, 3.5, 0, -0.01, -7, NULL);");
    auto rowOf = [&](Recordset& rs) {
        std::vector<std::string> row;
        for (long i = 0; i < rs.FieldCount(); ++i)
            row.push_back(testing_support::ShownValue(rs.GetValue(i)));
        return row;
    };
    Recordset kept;
    Open(kept, "select * from rec");
    Recordset forward;
    forward.Open("select * from rec", m_connection, adOpenForwardOnly, adLockOptimistic, adCmdText);
    for (int row = 0; row < 3; ++row, kept.MoveNext(), forward.MoveNext()) {
        ASSERT_FALSE(forward.IsEOF());
        EXPECT_EQ(rowOf(forward), rowOf(kept)) << "row " << row;
        if (row == 1) {
            // The write finishes the forward cursor's statement under its current row.
            Recordset writer;
            Open(writer, "list", adCmdTable);
            writer.AddNew();
            writer.PutValue(1, Variant::Text("e"));
            writer.Update();
            EXPECT_EQ(rowOf(forward), rowOf(kept)) << "row 1 after a write";
        }
    }
    EXPECT_TRUE(forward.IsEOF());
}

} // namespace
