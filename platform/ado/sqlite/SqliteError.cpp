#include "platform/ado/sqlite/SqliteError.h"

#include "platform/ado/EngineError.h"

#include <sqlite3.h>

namespace ado {

ComError SqliteError(int rc, sqlite3* db, const std::string& file) {
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return EngineError::Make(E_FAIL, "The database file '" + file +
                                             "' is locked by another user or program (" + message +
                                             ").");
    case SQLITE_CONSTRAINT:
        return EngineError::Make(DB_E_INTEGRITYVIOLATION,
                                 "The change violates a rule of the table (" + message + ").");
    case SQLITE_MISMATCH:
        return EngineError::Make(DISP_E_TYPEMISMATCH, "Data type mismatch (" + message + ").");
    case SQLITE_CANTOPEN:
        return EngineError::Make(E_FAIL, "Could not open the database file '" + file + "' (" +
                                             message + ").");
    case SQLITE_NOTADB:
        return EngineError::Make(E_FAIL, "The file '" + file + "' is not an SQLite database.");
    case SQLITE_ERROR:
        if (message.rfind("no such table", 0) == 0)
            return EngineError::Make(DB_E_NOTABLE,
                                     "The engine cannot find the table (" + message + ").");
        if (message.rfind("no such column", 0) == 0)
            return EngineError::Make(DB_E_PARAMNOTOPTIONAL, "Unknown column (" + message + ").");
        return EngineError::Make(DB_E_ERRORSINCOMMAND,
                                 "Syntax error in the SQL text (" + message + ").");
    default:
        return EngineError::Make(E_FAIL, message);
    }
}

} // namespace ado
