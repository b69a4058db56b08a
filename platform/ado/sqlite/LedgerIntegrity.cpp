#include "platform/ado/sqlite/LedgerIntegrity.h"

#include "platform/ado/sqlite/SchemaRows.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace ado::ledger_check {
namespace {

constexpr const char* kDigestFunction = "coffer_rows_digest";

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value) {
    hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    hash *= 0xff51afd7ed558ccdULL;
    return hash ^ (hash >> 33);
}

// One row's values. Numbers compare as the index compares them: 3 and 3.0 are the same key.
std::uint64_t RowDigest(int count, sqlite3_value** values) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (int i = 0; i < count; ++i) {
        int type = sqlite3_value_type(values[i]);
        std::uint64_t bits = 0;
        if (type == SQLITE_FLOAT) {
            const double number = sqlite3_value_double(values[i]);
            if (std::nearbyint(number) == number && std::fabs(number) < 9.2e18) {
                type = SQLITE_INTEGER;
                bits = static_cast<std::uint64_t>(static_cast<long long>(number));
            } else {
                std::memcpy(&bits, &number, sizeof bits);
            }
        } else if (type == SQLITE_INTEGER) {
            bits = static_cast<std::uint64_t>(sqlite3_value_int64(values[i]));
        }
        hash = Mix(hash, static_cast<std::uint64_t>(type));
        if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
            const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(values[i]));
            const int length = sqlite3_value_bytes(values[i]);
            int at = 0;
            for (; at + 8 <= length; at += 8) {
                std::memcpy(&bits, bytes + at, sizeof bits);
                hash = Mix(hash, bits);
            }
            bits = static_cast<std::uint64_t>(length) << 56;
            for (int k = 0; at + k < length; ++k)
                bits ^= static_cast<std::uint64_t>(bytes[at + k]) << (8 * k);
        }
        hash = Mix(hash, bits);
    }
    return hash;
}

// The digest of a set of rows is the wrapping sum of theirs, so the order rows are read in
// (table order or index order) does not matter.
void DigestStep(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* sum =
        static_cast<std::uint64_t*>(sqlite3_aggregate_context(context, sizeof(std::uint64_t)));
    if (sum != nullptr)
        *sum += RowDigest(count, values);
}

void DigestFinal(sqlite3_context* context) {
    auto* sum = static_cast<std::uint64_t*>(sqlite3_aggregate_context(context, 0));
    sqlite3_result_int64(context, static_cast<sqlite3_int64>(sum ? *sum : 0));
}

// The first line of a check pragma ("ok" for a sound file), or SQLite's message.
std::string FirstLine(sqlite3* db, const std::string& pragma, int& rc) {
    std::string line;
    bool first = true;
    rc = EachRow(db, pragma, [&](sqlite3_stmt* statement) {
        if (first)
            line = Text(statement, 0);
        first = false;
    });
    return rc == SQLITE_OK ? line : sqlite3_errmsg(db);
}

struct PlainIndex {
    std::string name;
    std::string table;
    std::string columns; ///< "rowid, "a", "b""
    bool unique = false;
    std::string keys;     ///< ""a" COLLATE BINARY, "b" COLLATE NOCASE": as the index compares
    std::string anyNull;  ///< ""a" IS NULL OR "b" IS NULL": a row the uniqueness leaves out
};

// Sorts the indexes into those the digest can compare (on table columns, not partial, of a
// rowid table) and the tables that need SQLite's own check.
int FindIndexes(sqlite3* db, std::vector<PlainIndex>& plain, std::vector<std::string>& whole) {
    std::vector<std::pair<std::string, bool>> tables; // name, has rowid
    int rc = EachRow(db, "PRAGMA main.table_list", [&](sqlite3_stmt* s) {
        const std::string type = Text(s, 2);
        if (type == "table" && Text(s, 1).rfind("sqlite_", 0) != 0)
            tables.emplace_back(Text(s, 1), sqlite3_column_int(s, 4) == 0);
    });
    for (const auto& [table, hasRowid] : tables) {
        if (rc != SQLITE_OK)
            break;
        bool needsWhole = !hasRowid;
        // An index on the rowid's own column reads it from the entry's rowid, not its key.
        std::string rowidColumn;
        rc = EachRow(db, "PRAGMA main.table_info(" + Quoted(table) + ")", [&](sqlite3_stmt* s) {
            if (sqlite3_column_int(s, 5) > 0 && sqlite3_stricmp(Text(s, 2).c_str(), "INTEGER") == 0)
                rowidColumn = Text(s, 1);
        });
        std::vector<PlainIndex> found;
        if (rc == SQLITE_OK)
            rc = EachRow(db, "PRAGMA main.index_list(" + Quoted(table) + ")", [&](sqlite3_stmt* s) {
                if (sqlite3_column_int(s, 4) != 0)
                    needsWhole = true;
                found.push_back({Text(s, 1), table, "rowid", sqlite3_column_int(s, 2) != 0, {}, {}});
            });
        for (PlainIndex& index : found) {
            if (rc != SQLITE_OK || needsWhole)
                break;
            rc = EachRow(db, "PRAGMA main.index_xinfo(" + Quoted(index.name) + ")",
                         [&](sqlite3_stmt* s) {
                             if (sqlite3_column_int(s, 5) == 0)
                                 return; // the entry's rowid, not its key
                             const std::string column = Quoted(Text(s, 2));
                             if (sqlite3_column_int(s, 1) < 0 || Text(s, 2) == rowidColumn) {
                                 needsWhole = true; // the rowid or an expression
                                 return;
                             }
                             index.columns += ", " + column;
                             const char* separator = index.keys.empty() ? "" : ", ";
                             index.keys += separator + column + " COLLATE " + Quoted(Text(s, 4));
                             index.anyNull += (index.anyNull.empty() ? "" : " OR ") + column +
                                              " IS NULL";
                         });
        }
        if (needsWhole)
            whole.push_back(table);
        else
            plain.insert(plain.end(), found.begin(), found.end());
    }
    return rc;
}

// Row count and digest of a query's rows.
int Digest(sqlite3* db, const std::string& sql, long long& rows, long long& digest) {
    return EachRow(db, sql, [&](sqlite3_stmt* s) {
        rows = sqlite3_column_int64(s, 0);
        digest = sqlite3_column_int64(s, 1);
    });
}

// Whether SQLite reads the query's columns from the index alone; only then does the index
// side of the comparison see the index's own entries.
bool ReadsIndexAlone(sqlite3* db, const std::string& sql) {
    bool covering = false;
    EachRow(db, "EXPLAIN QUERY PLAN " + sql, [&](sqlite3_stmt* s) {
        covering = covering || Text(s, 3).find("COVERING INDEX") != std::string::npos;
    });
    return covering;
}

// Every entry of the index is a row of the table with the same key, and every row of the
// table is in the index: the (rowid, key) rows read either way are the same multiset.
std::string CompareIndex(sqlite3* db, const PlainIndex& index, bool& needsWhole, int& rc) {
    const std::string select = std::string("SELECT count(*), ") + kDigestFunction + "(" +
                               index.columns + ") FROM " + Quoted(index.table);
    const std::string byIndex = select + " INDEXED BY " + Quoted(index.name);
    if (!ReadsIndexAlone(db, byIndex)) {
        needsWhole = true;
        return "ok";
    }
    long long tableRows = 0, tableDigest = 0, indexRows = 0, indexDigest = 0;
    rc = Digest(db, select + " NOT INDEXED", tableRows, tableDigest);
    if (rc == SQLITE_OK)
        rc = Digest(db, byIndex, indexRows, indexDigest);
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(db);
    if (tableRows != indexRows)
        return "wrong # of entries in index " + index.name;
    if (tableDigest != indexDigest)
        return "index " + index.name + " does not match table " + index.table;
    if (index.unique) {
        // The entries are the table's rows; no two of them may share a key without a NULL,
        // keys compared as the index compares them.
        long long duplicates = 0;
        rc = EachRow(db,
                     "SELECT count(*) FROM (SELECT 1 FROM " + Quoted(index.table) + " INDEXED BY " +
                         Quoted(index.name) + " WHERE NOT (" + index.anyNull + ") GROUP BY " +
                         index.keys + " HAVING count(*) > 1)",
                     [&](sqlite3_stmt* s) { duplicates = sqlite3_column_int64(s, 0); });
        if (rc != SQLITE_OK)
            return sqlite3_errmsg(db);
        if (duplicates != 0)
            return "non-unique entry in index " + index.name;
    }
    return "ok";
}

// PRAGMA quick_check on a connection of its own, so that it runs on another core while the
// indexes are compared; on the caller's connection when no second one opens (a file in
// memory, or no handle left).
class QuickCheck {
public:
    explicit QuickCheck(sqlite3* db) {
        const char* file = sqlite3_db_filename(db, "main");
        sqlite3* raw = nullptr;
        if (file != nullptr && *file != '\0' &&
            sqlite3_open_v2(file, &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) ==
                SQLITE_OK) {
            m_db.reset(raw);
            sqlite3_busy_timeout(raw, kBusyTimeoutMs);
            sqlite3_exec(raw, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
            m_thread = std::jthread([this] { m_result = FirstLine(m_db.get(), kPragma, m_rc); });
        } else {
            sqlite3_close(raw);
            m_result = FirstLine(db, kPragma, m_rc);
        }
    }

    std::string Result(int& rc) {
        if (m_thread.joinable())
            m_thread.join();
        rc = m_rc;
        return m_result;
    }

private:
    static constexpr const char* kPragma = "PRAGMA main.quick_check(1)";
    static constexpr int kBusyTimeoutMs = 3000;

    DatabasePtr m_db;
    std::string m_result;
    int m_rc = SQLITE_OK;
    std::jthread m_thread;
};

std::string CompareIndexes(sqlite3* db, int& rc) {
    std::string result;
    rc = sqlite3_create_function(db, kDigestFunction, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                 nullptr, nullptr, &DigestStep, &DigestFinal);
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(db);
    std::vector<PlainIndex> plain;
    std::vector<std::string> whole;
    rc = FindIndexes(db, plain, whole);
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(db);
    for (const PlainIndex& index : plain) {
        bool needsWhole = false;
        result = CompareIndex(db, index, needsWhole, rc);
        if (rc != SQLITE_OK || result != "ok")
            return result;
        if (needsWhole && (whole.empty() || whole.back() != index.table))
            whole.push_back(index.table);
    }
    for (const std::string& table : whole) {
        result = FirstLine(db, "PRAGMA main.integrity_check(" + Quoted(table) + ")", rc);
        if (rc != SQLITE_OK || result != "ok")
            return result;
    }
    return "ok";
}

} // namespace

std::string CheckIntegrity(sqlite3* db, int& rc) {
    QuickCheck quick(db);
    int indexRc = SQLITE_OK;
    const std::string indexes = CompareIndexes(db, indexRc);
    // The page structure first: an index that does not match may only be its symptom.
    std::string result = quick.Result(rc);
    if (rc != SQLITE_OK || result != "ok")
        return result;
    rc = indexRc;
    return indexes;
}

} // namespace ado::ledger_check
