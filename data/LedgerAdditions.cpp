#include "data/LedgerAdditions.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"
#include "platform/ado/Connection.h"
#include "platform/ado/LedgerLocation.h"
#include "platform/ado/LedgerSchema.h"

const std::vector<std::string>& CLedgerAdditions::Statements(int nAddition, bool bServer) {
    return ado::ledger_schema::Statements(nAddition, bServer);
}

int CLedgerAdditions::Read(CADODatabase& db) {
    CADORecordset rs(&db);
    if (!rs.Open("PRAGMA user_version", CADORecordset::ModeQuery) || rs.IsEOF())
        return 0;
    double dCount = 0;
    rs.GetFieldValue(0, dCount);
    rs.Close();
    return static_cast<int>(dCount);
}

void CLedgerAdditions::Write(CADODatabase& db, int nCount) {
    CADORecordset rs(&db);
    rs.Open("PRAGMA user_version = " + NumberText::Itoa(nCount), CADORecordset::ModeUnknown);
}

void CLedgerAdditions::Add(CADODatabase& db, int nAddition) {
    if (Read(db) >= nAddition)
        return;
    const auto connection = db.GetActiveConnection();
    const bool bServer = connection && ado::LedgerLocation::IsServer(connection->FilePath());
    InTransaction(db, [&db, nAddition, bServer] {
        CADORecordset rs(&db);
        for (const std::string& statement : Statements(nAddition, bServer))
            rs.Open(statement, CADORecordset::ModeUnknown);
        // Read again inside the transaction: another copy of Coffer may have been first.
        if (Read(db) < nAddition)
            Write(db, nAddition);
    });
}
