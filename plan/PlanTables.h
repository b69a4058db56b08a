#pragma once

#include <string>

class CADODatabase;

/// The tables budgets and recurring records keep in the ledger. They are created the first
/// time one of them writes, after a verified backup of the ledger as it was.
class CPlanTables {
public:
    /// True when the open ledger holds the tables (a ledger without them has no budgets
    /// and no templates).
    static bool Present(CADODatabase& db);
    /// Makes sure the tables exist. False, with `strError` saying why for the user, when
    /// the backup before adding them failed; nothing is changed then. Engine errors are
    /// thrown.
    static bool Ensure(CADODatabase& db, std::string& strError);
};
