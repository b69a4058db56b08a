#include "plan/PlanTables.h"

#include "backup/AdditionBackup.h"
#include "data/ADODatabase.h"
#include "data/LedgerAdditions.h"

bool CPlanTables::Present(CADODatabase& db) {
    return db.IsOpen() && CLedgerAdditions::Read(db) >= CLedgerAdditions::kPlan;
}

bool CPlanTables::Ensure(CADODatabase& db, std::string& strError) {
    if (Present(db))
        return true;
    if (!BackUpBeforeAddition(db, strError))
        return false;
    CLedgerAdditions::Add(db, CLedgerAdditions::kPlan);
    return true;
}
