#pragma once

#include "platform/ado/ComError.h"

#include <string>

struct sqlite3;

namespace ado {

/// The engine error for SQLite's result code `rc` of a call on `db` (its message is read
/// from `db`); `file` names the database file in lock and open errors.
ComError SqliteError(int rc, sqlite3* db, const std::string& file);

} // namespace ado
