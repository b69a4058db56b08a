#pragma once

#include "search/SearchQuery.h"

#include <string>

class CADODatabase;

/// The index that makes searching a large ledger quick. On the file: a trigram full-text
/// table per record table (member, category, note and amount of each record, under its
/// record number) kept by triggers in the same transaction as every write. On the server:
/// trigram indexes on the same columns and one on the amount in cents, which the server
/// keeps itself. The index is never needed for the right answer, only for a quick one.
class CSearchIndex {
public:
    enum State { Missing, Stale, Ready };

    /// The engine of the open ledger.
    static SearchEngine EngineOf(CADODatabase& db);
    static State Inspect(CADODatabase& db);
    /// Makes sure the index is there and complete: added (after a verified backup of a
    /// ledger file) when missing, filled again when stale. False when it could not be: with
    /// `strError` saying why for the user when the backup failed, without when the server
    /// does not let this user add trigram indexes. The ledger is unchanged then and
    /// searching still works, only slower. Engine errors are thrown, nothing half done.
    static bool Ensure(CADODatabase& db, std::string& strError);
    /// Takes the index away (for comparing answers without it).
    static void Drop(CADODatabase& db);

    /// The statements that make the index on the file, each safe on a ledger that has it.
    static const std::vector<std::string>& FileStatements();

    /// The statements that fill the file's index afresh from the records.
    static std::vector<std::string> FillStatements();

private:
    static bool EnsureOnServer(CADODatabase& db);
};
