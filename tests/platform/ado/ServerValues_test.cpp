// The server's binary form of a value reads as the same value as its text form: the engine
// fetches results in binary form where it can, and nothing the program sees may change by it;
// nor by a value being read in place instead of stored.
#include "platform/ado/RowStore.h"
#include "platform/ado/pg/PgHandles.h"
#include "platform/ado/pg/PgValues.h"
#include "tests/support/ShownValue.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <string>

namespace {

using ado::PgValues;
using ado::Variant;
using ado::VarKind;

ado::PgResultPtr Fetch(PGconn* conn, const std::string& sql, int format) {
    ado::PgResultPtr result(
        PQexecParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, format));
    EXPECT_EQ(PQresultStatus(result.get()), PGRES_TUPLES_OK) << PQerrorMessage(conn) << sql;
    return result;
}

template <class Sink> void ReadWith(Sink& sink, pg_result* result, bool binary) {
    const char* value = PQgetisnull(result, 0, 0) ? nullptr : PQgetvalue(result, 0, 0);
    const auto length = static_cast<size_t>(PQgetlength(result, 0, 0));
    if (binary)
        PgValues::ReadBinaryInto(sink, value, length, PQftype(result, 0));
    else
        PgValues::ReadInto(sink, value, length, PQftype(result, 0));
}

Variant Read(pg_result* result, bool binary) {
    ado::RowStore rows(1);
    rows.AppendRow(0);
    ReadWith(rows, result, binary);
    return rows.Get(0, 0);
}

// The same reading left in the result, as a forward-only cursor takes it.
Variant ReadInPlace(pg_result* result, bool binary) {
    ado::ValueView view;
    std::string scratch;
    ado::ViewSink sink(view, scratch);
    ReadWith(sink, result, binary);
    return view.ToVariant();
}

using testing_support::ShownValue;

TEST(ServerValuesTest, TheBinaryFormReadsAsTheTextForm) {
    const char* host = std::getenv("COFFER_TEST_PGHOST");
    if (!host)
        GTEST_SKIP() << "no test server (COFFER_TEST_PGHOST); scripts/test starts one";
    const ado::PgConnPtr conn(PQconnectdb(
        ("postgresql:///postgres?host=" + std::string(host) + "&user=postgres").c_str()));
    ASSERT_EQ(PQstatus(conn.get()), CONNECTION_OK) << PQerrorMessage(conn.get());
    const char* const values[] = {
        "'2010-11-13 07:17:07'::timestamp(0)",
        "'2010-01-01 12:00:00.7'::timestamp",
        "'1899-12-30 00:00:00'::timestamp",
        "'1899-12-29 06:00:00'::timestamp", // before the epoch: the time counts forward
        "'1800-02-28 23:59:59'::timestamp",
        "'0100-01-01 12:00:00'::timestamp",
        "'0099-12-31 23:59:59'::timestamp", // before the program's range: the server's text
        "'9999-12-31 23:59:59'::timestamp",
        "'10000-01-01 00:00:00'::timestamp",
        "'0044-03-15 10:00:00 BC'::timestamp",
        "'infinity'::timestamp",
        "'-infinity'::timestamp",
        "null::timestamp",
        "'2024-02-29'::date",
        "'1899-12-29'::date",
        "'0050-06-01'::date",
        "'infinity'::date",
        "0.1::float8",
        "1e-7::float8",
        "12345678.905::float8",
        "(-0.0)::float8",
        "'NaN'::float8",
        "'-Infinity'::float8",
        "(-5)::int2",
        "(-2147483648)::int4",
        "7::int8",
        "8589934592::int8",
        "true",
        "false",
        "'\\x41ff00'::bytea",
        "'餐饮 O''Neil'::text",
        "'ab'::char(4)",
        "''::varchar",
    };
    for (const char* value : values) {
        const std::string sql = std::string("select ") + value;
        const ado::PgResultPtr text = Fetch(conn.get(), sql, 0);
        const ado::PgResultPtr binary = Fetch(conn.get(), sql, 1);
        ASSERT_TRUE(PgValues::HasBinaryForm(PQftype(binary.get(), 0))) << value;
        EXPECT_EQ(ShownValue(Read(binary.get(), true)), ShownValue(Read(text.get(), false)))
            << value;
        EXPECT_EQ(ShownValue(ReadInPlace(binary.get(), true)), ShownValue(Read(binary.get(), true)))
            << value;
        EXPECT_EQ(ShownValue(ReadInPlace(text.get(), false)), ShownValue(Read(text.get(), false)))
            << value;
    }
    // Types read only from their text form, whose reading makes a text of its own.
    for (const char* value : {"'-1234.56'::money", "1.25::numeric", "'\\x41ff00'::bytea",
                              "'0099-12-31 23:59:59'::timestamptz"}) {
        const ado::PgResultPtr text = Fetch(conn.get(), std::string("select ") + value, 0);
        EXPECT_EQ(ShownValue(ReadInPlace(text.get(), false)), ShownValue(Read(text.get(), false)))
            << value;
    }
    // Keys come in binary form too.
    for (const char* key : {"(-3)::int2", "2147483647::int4", "(-9007199254740993)::int8"}) {
        const ado::PgResultPtr text = Fetch(conn.get(), std::string("select ") + key, 0);
        const ado::PgResultPtr binary = Fetch(conn.get(), std::string("select ") + key, 1);
        EXPECT_EQ(PgValues::BinaryInteger(PQgetvalue(binary.get(), 0, 0),
                                          static_cast<size_t>(PQgetlength(binary.get(), 0, 0))),
                  std::strtoll(PQgetvalue(text.get(), 0, 0), nullptr, 10))
            << key;
    }
}

} // namespace
