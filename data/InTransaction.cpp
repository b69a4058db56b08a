#include "data/InTransaction.h"

#include "data/ADODatabase.h"

void InTransaction(CADODatabase& db, const std::function<void()>& work) {
    db.BeginTrans();
    try {
        work();
        db.CommitTrans();
    } catch (...) {
        try {
            db.RollbackTrans();
        } catch (...) {
            // the first error is the one to report
        }
        throw;
    }
}
