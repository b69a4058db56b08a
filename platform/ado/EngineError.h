#pragma once

#include "platform/ado/ComError.h"

#include <string>

struct sqlite3;

namespace ado {

/// Turns SQLite result codes into the engine's error codes and texts.
class EngineError {
public:
    /// The error source every engine error carries.
    static const char* const kSource;

    /// An error with our own code and description.
    static ComError Make(HRESULT code, const std::string& description);
    /// The error for result code `rc` of a call on `db` (its message is read from `db`);
    /// `file` names the database file in lock and open errors.
    static ComError FromSqlite(int rc, sqlite3* db, const std::string& file);
};

} // namespace ado
