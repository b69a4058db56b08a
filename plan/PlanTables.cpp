#include "plan/PlanTables.h"

#include "backup/LedgerAddition.h"
#include "data/ADODatabase.h"
#include "data/LedgerAdditions.h"

bool CPlanTables::Present(CADODatabase& db) {
    return db.IsOpen() && CLedgerAdditions::Read(db) >= CLedgerAdditions::kPlan;
}

bool CPlanTables::Ensure(CADODatabase& db, std::string& strError) {
    return Present(db) || AddLedgerAddition(db, CLedgerAdditions::kPlan, strError);
}
