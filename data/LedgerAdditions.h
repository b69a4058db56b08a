#pragma once

#include <string>
#include <vector>

class CADODatabase;

/// The tables a ledger gains beyond the program's first ones, and the count that tells
/// which of them a ledger holds. The count lives in the file's header on a file ledger;
/// reading and writing it goes through here only, so another engine can keep it elsewhere.
class CLedgerAdditions {
public:
    /// Budgets and recurring records (planBudget, planRecurring, planOccurrence).
    static constexpr int kPlan = 1;
    /// The phone page's submissions (phoneSubmission): a retried submission writes nothing.
    static constexpr int kPhone = 2;
    /// The newest addition: a new ledger holds every one up to it.
    static constexpr int kLatest = kPhone;

    /// The statements that create the tables of addition `nAddition`, each safe to run on
    /// a ledger that has them already.
    static const std::vector<std::string>& Statements(int nAddition);

    /// How many additions the open ledger holds.
    static int Read(CADODatabase& db);
    /// Records that the open ledger holds `nCount` additions.
    static void Write(CADODatabase& db, int nCount);
    /// Creates the tables of `nAddition` and raises the count, in one transaction; a ledger
    /// that holds them already is left untouched. Engine errors are thrown, nothing half done.
    static void Add(CADODatabase& db, int nAddition);
};
