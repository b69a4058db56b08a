#pragma once

#include <string>

struct sqlite3;

namespace ado {

/// The application id a Coffer ledger carries in its header ("Coff").
constexpr int kLedgerApplicationId = 0x436F6666;

/// What an SQLite file is to Coffer.
enum class LedgerKind {
    Ours,    ///< carries our application id
    Legacy,  ///< no application id, but holds every table of a ledger (files made before the id)
    Foreign, ///< anything else: never written
};

/// Classifies an open database by reading its header and schema; writes nothing. When the
/// file cannot be read at all (locked, damaged), returns Foreign and sets `rc` to SQLite's
/// result code; otherwise `rc` is SQLITE_OK.
LedgerKind ClassifyLedger(sqlite3* db, int& rc);

/// Opens `path` read-only, classifies it and closes it again; the file is left untouched.
/// A file that SQLite cannot read at all counts as foreign.
LedgerKind ClassifyLedgerFile(const std::string& path);

} // namespace ado
