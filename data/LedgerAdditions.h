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
    /// Accounts, the records' account links, transfers and reconciliations (accountList,
    /// accountLink, accountTransfer, accountReconcile), with the triggers that take a
    /// record's link with it when the record is deleted.
    static constexpr int kAccounts = 2;
    /// The phone page's submissions (phoneSubmission): a retried submission writes nothing.
    static constexpr int kPhone = 3;
    /// Where imported bill rows came from, and the choices remembered for bills (billOrder,
    /// billChoice).
    static constexpr int kBills = 4;
    /// Receipts (pictureStore, pictureLink), with the triggers that take a deleted record's
    /// pictures with it.
    static constexpr int kPictures = 5;
    /// Bank statements' import schemes (bankScheme).
    static constexpr int kBankSchemes = 6;
    /// The additions this Coffer knows.
    static constexpr int kLatest = kBankSchemes;

    /// The statements that create the tables of addition `nAddition` (for a server ledger
    /// when `bServer`), each safe to run on a ledger that has them already. They are kept
    /// with every other schema object of Coffer's in platform/ado/LedgerSchema.cpp, which
    /// says how an addition registers its tables, indexes and triggers.
    static const std::vector<std::string>& Statements(int nAddition, bool bServer = false);
    /// True when the open ledger lives on a server.
    static bool OnServer(CADODatabase& db);

    /// How many additions the open ledger holds.
    static int Read(CADODatabase& db);
    /// Records that the open ledger holds `nCount` additions.
    static void Write(CADODatabase& db, int nCount);
    /// Creates the tables of `nAddition` and raises the count, in one transaction; a ledger
    /// that holds them already is left untouched. Engine errors are thrown, nothing half done.
    static void Add(CADODatabase& db, int nAddition);
    /// Runs the statements of the uncounted addition `szName` (objects a feature makes when it
    /// wants them, each statement safe to repeat), in one transaction. Engine errors are
    /// thrown, nothing half done.
    static void Make(CADODatabase& db, const char* szName);
    /// A ledger moved onto a server carries its tables but not its triggers: puts back the
    /// server's triggers of the additions it holds (each statement is safe to repeat). Does
    /// nothing on a file.
    static void Complete(CADODatabase& db);
    /// The same for the ledger at `strLocation` (a postgresql:// URI), right after a move;
    /// false with `strError` when it cannot be opened or completed.
    static bool Complete(const std::string& strLocation, std::string& strError);
};
