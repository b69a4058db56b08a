#pragma once

#include <string>

struct sqlite3;

namespace ado::ledger_check {

/// The whole-file check the ledger copies are verified with: "ok", or the first problem in
/// SQLite's or our words. It finds what PRAGMA integrity_check finds, in linear time: the
/// page structure, free list, page use and column constraints by PRAGMA quick_check, and
/// each plain index against its table by comparing a digest of the (rowid, key) pairs read
/// from either; tables with other indexes get PRAGMA integrity_check(table). `rc` is
/// SQLite's code when the check itself could not run.
std::string CheckIntegrity(sqlite3* db, int& rc);

} // namespace ado::ledger_check
