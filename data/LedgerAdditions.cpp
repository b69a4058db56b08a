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

bool CLedgerAdditions::OnServer(CADODatabase& db) {
    return db.IsOpen() && ado::LedgerLocation::IsServer(db.GetActiveConnection()->FilePath());
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
    InTransaction(db, [&db, nAddition] {
        CADORecordset rs(&db);
        // Every addition up to this one: a ledger may skip one no window has asked for yet.
        for (int nEach = Read(db) + 1; nEach <= nAddition; ++nEach)
            for (const std::string& statement : Statements(nEach, OnServer(db)))
                rs.Open(statement, CADORecordset::ModeUnknown);
        // Read again inside the transaction: another copy of Coffer may have been first.
        if (Read(db) < nAddition)
            Write(db, nAddition);
    });
}

void CLedgerAdditions::Make(CADODatabase& db, const char* szName) {
    const ado::ledger_schema::Addition& addition = ado::ledger_schema::Named(szName);
    const std::vector<std::string>& statements =
        OnServer(db) && !addition.server.empty() ? addition.server : addition.file;
    InTransaction(db, [&db, &statements] {
        CADORecordset rs(&db);
        for (const std::string& statement : statements)
            rs.Open(statement, CADORecordset::ModeUnknown);
    });
}

void CLedgerAdditions::Complete(CADODatabase& db) {
    if (!OnServer(db))
        return;
    const int nHeld = Read(db);
    InTransaction(db, [&db, nHeld] {
        CADORecordset rs(&db);
        for (int nEach = 1; nEach <= nHeld; ++nEach)
            for (const std::string& statement : Statements(nEach, true))
                if (statement.rfind("CREATE OR REPLACE", 0) == 0)
                    rs.Open(statement, CADORecordset::ModeUnknown);
    });
}

bool CLedgerAdditions::Complete(const std::string& strLocation, std::string& strError) {
    try {
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + strLocation);
        if (!db.Open()) {
            strError = db.GetErrorDescription();
            return false;
        }
        Complete(db);
        return true;
    } catch (const std::exception& error) {
        strError = error.what();
        return false;
    }
}
