#pragma once

#include <string>

class CADODatabase;

/// Makes sure the open ledger holds addition `nAddition` (see CLedgerAdditions): a ledger
/// without it is first backed up (verified) and then gains it. False, with `strError`
/// saying why for the user, when that backup failed; nothing is changed then. A ledger on a
/// server has no file here to copy; its server keeps its own backups. Engine errors are
/// thrown.
bool AddLedgerAddition(CADODatabase& db, int nAddition, std::string& strError);
