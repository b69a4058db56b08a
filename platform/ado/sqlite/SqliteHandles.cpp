#include "platform/ado/sqlite/SqliteHandles.h"

#include <sqlite3.h>

namespace ado {

void DatabaseCloser::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

void StatementFinalizer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

} // namespace ado
