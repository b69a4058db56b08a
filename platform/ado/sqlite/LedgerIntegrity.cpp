#include "platform/ado/sqlite/LedgerIntegrity.h"

#include "platform/ado/sqlite/SchemaRows.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <atomic>
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

int AddDigestFunction(sqlite3* db) {
    return sqlite3_create_function(db, kDigestFunction, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   nullptr, nullptr, &DigestStep, &DigestFinal);
}

// Another read-only connection to the file of `db`, reading it through a mapping; none for
// a file in memory or when no handle is left.
DatabasePtr OpenReader(sqlite3* db) {
    constexpr int kBusyTimeoutMs = 3000;
    const char* file = sqlite3_db_filename(db, "main");
    sqlite3* raw = nullptr;
    if (file == nullptr || *file == '\0' ||
        sqlite3_open_v2(file, &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK) {
        sqlite3_close(raw);
        return nullptr;
    }
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    sqlite3_exec(raw, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    return DatabasePtr(raw);
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

// One side of a comparison: the rows read from the table or from the index.
struct DigestRun {
    std::string sql;
    long long rows = 0;
    long long digest = 0;
    int rc = SQLITE_OK;
    std::string error;
};

// Runs the digests on `db` and, where a second connection opens, on that one beside it: the
// sides are independent reads, so two cores halve the wait.
void RunDigests(sqlite3* db, std::vector<DigestRun>& runs) {
    std::atomic<std::size_t> next{0};
    const auto work = [&](sqlite3* on) {
        for (std::size_t i = next++; i < runs.size(); i = next++) {
            DigestRun& run = runs[i];
            run.rc = Digest(on, run.sql, run.rows, run.digest);
            if (run.rc != SQLITE_OK)
                run.error = sqlite3_errmsg(on);
        }
    };
    DatabasePtr helper = runs.size() > 1 ? OpenReader(db) : nullptr;
    if (helper != nullptr && AddDigestFunction(helper.get()) != SQLITE_OK)
        helper.reset();
    std::jthread beside;
    if (helper != nullptr)
        beside = std::jthread([&] { work(helper.get()); });
    work(db);
}

// Every entry of the index is a row of the table with the same key, and every row of the
// table is in the index: the (rowid, key) rows read either way are the same multiset.
std::string CompareDigests(const PlainIndex& index, const DigestRun& table, const DigestRun& byIndex,
                           int& rc) {
    rc = table.rc != SQLITE_OK ? table.rc : byIndex.rc;
    if (rc != SQLITE_OK)
        return table.rc != SQLITE_OK ? table.error : byIndex.error;
    if (table.rows != byIndex.rows)
        return "wrong # of entries in index " + index.name;
    if (table.digest != byIndex.digest)
        return "index " + index.name + " does not match table " + index.table;
    return "ok";
}

// No two entries of a unique index may share a key without a NULL, keys compared as the
// index compares them.
std::string CheckUnique(sqlite3* db, const PlainIndex& index, int& rc) {
    long long duplicates = 0;
    rc = EachRow(db,
                 "SELECT count(*) FROM (SELECT 1 FROM " + Quoted(index.table) + " INDEXED BY " +
                     Quoted(index.name) + " WHERE NOT (" + index.anyNull + ") GROUP BY " +
                     index.keys + " HAVING count(*) > 1)",
                 [&](sqlite3_stmt* s) { duplicates = sqlite3_column_int64(s, 0); });
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(db);
    return duplicates != 0 ? "non-unique entry in index " + index.name : "ok";
}

// PRAGMA quick_check on a connection of its own, so that it runs on another core while the
// indexes are compared; on the caller's connection when no second one opens.
class QuickCheck {
public:
    explicit QuickCheck(sqlite3* db) : m_db(OpenReader(db)) {
        if (m_db != nullptr)
            m_thread = std::jthread([this] { m_result = FirstLine(m_db.get(), kPragma, m_rc); });
        else
            m_result = FirstLine(db, kPragma, m_rc);
    }

    std::string Result(int& rc) {
        if (m_thread.joinable())
            m_thread.join();
        rc = m_rc;
        return m_result;
    }

private:
    static constexpr const char* kPragma = "PRAGMA main.quick_check(1)";

    DatabasePtr m_db;
    std::string m_result;
    int m_rc = SQLITE_OK;
    std::jthread m_thread;
};

std::string CompareIndexes(sqlite3* db, int& rc) {
    std::string result;
    rc = AddDigestFunction(db);
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(db);
    std::vector<PlainIndex> plain;
    std::vector<std::string> whole;
    rc = FindIndexes(db, plain, whole);
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(db);
    // Each index the digest can compare gives two runs, its table's side and its own.
    std::vector<const PlainIndex*> compared;
    std::vector<DigestRun> runs;
    for (const PlainIndex& index : plain) {
        const std::string select = std::string("SELECT count(*), ") + kDigestFunction + "(" +
                                   index.columns + ") FROM " + Quoted(index.table);
        const std::string byIndex = select + " INDEXED BY " + Quoted(index.name);
        if (!ReadsIndexAlone(db, byIndex)) {
            if (whole.empty() || whole.back() != index.table)
                whole.push_back(index.table);
            continue;
        }
        compared.push_back(&index);
        runs.emplace_back().sql = select + " NOT INDEXED";
        runs.emplace_back().sql = byIndex;
    }
    RunDigests(db, runs);
    for (std::size_t i = 0; i < compared.size(); ++i) {
        result = CompareDigests(*compared[i], runs[2 * i], runs[2 * i + 1], rc);
        if (rc == SQLITE_OK && result == "ok" && compared[i]->unique)
            result = CheckUnique(db, *compared[i], rc);
        if (rc != SQLITE_OK || result != "ok")
            return result;
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
