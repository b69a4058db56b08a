#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ado {

/// Every schema object Coffer makes in a ledger: the program's own tables and what each
/// ledger addition adds. The ledger checks take this as the whole list of what may be in a
/// ledger; anything else is someone else's (a trigger planted in a backup, a view added with
/// an SQLite tool) and is judged by the checks' rules.
///
/// How a feature registers its objects: add one entry to kAdditions in LedgerSchema.cpp
/// with its name and number (the next count in CLedgerAdditions, data/LedgerAdditions.h,
/// for tables made once after a backup and counted; 0 for objects the feature makes itself
/// when it wants them, such as an index it can build again), holding every statement that
/// makes its tables, indexes, views and triggers: `file` for a file ledger (SQLite), `server` for a server ledger (PostgreSQL;
/// left empty, the file statements serve, rewritten by the server engine). Each statement
/// must be safe to run again (IF NOT EXISTS, CREATE OR REPLACE). Nothing else needs listing:
/// the checks make the `file` objects in a database in memory and compare a ledger's own with
/// them, names and SQL normalised (blanks, keyword case), so a trigger or view carrying one
/// of our names but another body is refused. An FTS5 table brings its shadow tables along
/// (name_data, name_idx, …) and they count as ours. Tables and indexes are judged by name
/// (an index also by what it does), so a backup taken of a server ledger passes: the
/// tables and indexes its `server` statements make count as ours by their names too.
namespace ledger_schema {

struct Addition {
    const char* name = "";
    int number = 0; ///< its count; 0 when made by the feature when wanted, never counted
    std::vector<std::string> file;
    std::vector<std::string> server;
};

/// The program's own tables, indexes and starter rows, as one SQL script.
const char* ProgramSql();
/// Every addition, in the order of their numbers.
const std::vector<Addition>& Additions();
/// The number of the newest counted addition.
int Latest();
/// The statements of addition `number` for a file (`server` false) or a server ledger; none
/// for an unknown number.
const std::vector<std::string>& Statements(int number, bool server);

/// The addition called `name`; a name not registered is a programming error (throws).
const Addition& Named(std::string_view name);

/// The ledger's own tables, without which a file is no ledger.
const std::vector<std::string>& ProgramTables();

} // namespace ledger_schema
} // namespace ado
