#include "platform/ado/sqlite/SqliteError.h"

#include "platform/ado/EngineError.h"

#include <sqlite3.h>

#include <filesystem>

namespace ado {

ComError SqliteError(int rc, sqlite3* db, const std::string& file) {
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    using Trouble = EngineError::Trouble;
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return EngineError::Explain(E_FAIL, Trouble::Locked, file, message);
    case SQLITE_READONLY:
        if (rc == SQLITE_READONLY_DIRECTORY)
            return EngineError::Explain(E_FAIL, Trouble::ReadOnlyFolder, file, message);
        // The file was deleted or moved away while it was open.
        if (rc == SQLITE_READONLY_DBMOVED)
            return EngineError::Explain(E_FAIL, Trouble::Missing, file, message);
        return EngineError::Explain(E_FAIL, Trouble::ReadOnlyFile, file, message);
    case SQLITE_FULL:
        return EngineError::Explain(E_FAIL, Trouble::DiskFull, file, message);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return EngineError::Explain(E_FAIL, Trouble::Damaged, file, message);
    case SQLITE_IOERR:
        return EngineError::Explain(E_FAIL, Trouble::DiskError, file, message);
    case SQLITE_CONSTRAINT:
        return EngineError::Make(DB_E_INTEGRITYVIOLATION,
                                 "The change violates a rule of the table (" + message + ").");
    case SQLITE_MISMATCH:
        return EngineError::Make(DISP_E_TYPEMISMATCH, "Data type mismatch (" + message + ").");
    case SQLITE_CANTOPEN:
        if (!std::filesystem::exists(file))
            return EngineError::Explain(E_FAIL, Trouble::Missing, file, message);
        return EngineError::Make(E_FAIL, "Could not open the database file '" + file + "' (" +
                                             message + ").");
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
