#pragma once

#include "platform/ado/sqlite/SqliteHandles.h"

#include <functional>
#include <string>

namespace bench {

/// The 1,000,000-record ledger the data and inquiry benchmarks read: $COFFER_BENCH_DB, or
/// coffer-bench-1m-v4.mdb in the temporary folder: a current ledger, half its records
/// carrying an account. Made once, the same way by every
/// benchmark program and on every machine (no random source), so that figures taken on
/// different days or by different programs read the same rows.
const std::string& LedgerFile();

/// A plain SQLite connection set up as the engine sets up its own (one thread, the same
/// page cache and syncs), so that a ratio against it is the engine's own cost.
ado::DatabasePtr OpenPlain(const std::string& path);

/// Makes `file` when it is missing: a starter ledger to which `fill` adds the rows, made
/// under a temporary name and renamed into place, so that a run cut short leaves no
/// half-made ledger for the next one to read.
void MakeOnce(const std::string& file, const std::function<void(sqlite3*)>& fill);

/// Throws std::runtime_error with SQLite's message unless `rc` is a success.
void Check(int rc, sqlite3* db, const char* what);

} // namespace bench
