#include "platform/ado/LedgerFile.h"

#include "platform/ado/LedgerSchema.h"
#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

#include <set>
#include <string>

namespace ado {
namespace {

int ReadInt(sqlite3* db, const char* sql, long long& value) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    StatementPtr statement(raw);
    rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? SQLITE_NOTADB : rc;
    value = sqlite3_column_int64(raw, 0);
    return SQLITE_OK;
}

bool HoldsLedgerTables(sqlite3* db) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &raw,
                           nullptr) != SQLITE_OK)
        return false;
    StatementPtr statement(raw);
    std::set<std::string> names;
    while (sqlite3_step(raw) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
        if (text)
            names.insert(text);
    }
    // The tables that make a file without our id a ledger all the same.
    for (const std::string& table : ledger_schema::ProgramTables())
        if (!names.count(table))
            return false;
    return true;
}

} // namespace

LedgerKind ClassifyLedger(sqlite3* db, int& rc) {
    long long id = 0;
    // The schema is read first: the header alone does not tell a damaged or locked file.
    long long tables = 0;
    rc = ReadInt(db, "SELECT count(*) FROM sqlite_master", tables);
    if (rc == SQLITE_OK)
        rc = ReadInt(db, "PRAGMA application_id", id);
    if (rc != SQLITE_OK)
        return LedgerKind::Foreign;
    if (id == kLedgerApplicationId)
        return LedgerKind::Ours;
    if (id == 0 && HoldsLedgerTables(db))
        return LedgerKind::Legacy;
    return LedgerKind::Foreign;
}

LedgerKind ClassifyLedgerFile(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    DatabasePtr db(raw);
    if (rc != SQLITE_OK)
        return LedgerKind::Foreign;
    int readRc = SQLITE_OK;
    return ClassifyLedger(raw, readRc);
}

} // namespace ado
