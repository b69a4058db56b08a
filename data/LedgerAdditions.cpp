#include "data/LedgerAdditions.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"

namespace {

// Amounts in whole cents, dates as 'YYYY-MM-DD' text: the same on every engine.
const std::vector<std::string> kPlanStatements = {
    "CREATE TABLE IF NOT EXISTS planBudget (ID INTEGER PRIMARY KEY, 支出项目 TEXT NOT NULL, "
    "预算 INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS planRecurring (ID INTEGER PRIMARY KEY, 收支 INTEGER NOT NULL, "
    "人员 TEXT, 项目 TEXT, 金额 INTEGER NOT NULL, 备注 TEXT, 规则 INTEGER NOT NULL, "
    "规则日 INTEGER NOT NULL, 首日 TEXT NOT NULL, 末日 TEXT, "
    "自动 INTEGER NOT NULL)",
    // One row per occurrence made: its key keeps a second copy of the record out, also
    // from another process that worked out the same occurrence.
    "CREATE TABLE IF NOT EXISTS planOccurrence (模板 INTEGER NOT NULL, 日期 TEXT NOT NULL, "
    "PRIMARY KEY (模板, 日期))",
};

// The submission id is made on the phone; its key keeps a retried submission from writing a
// second record. madeAt counts seconds since the epoch.
const std::vector<std::string> kPhoneStatements = {
    "CREATE TABLE IF NOT EXISTS phoneSubmission (submissionId TEXT PRIMARY KEY, "
    "device TEXT NOT NULL, kind INTEGER NOT NULL, recordId INTEGER NOT NULL, "
    "outcome TEXT NOT NULL, madeAt DOUBLE NOT NULL)",
    "CREATE INDEX IF NOT EXISTS phoneSubmission_device ON phoneSubmission (device, madeAt)",
};

const std::vector<std::string> kNone;

} // namespace

const std::vector<std::string>& CLedgerAdditions::Statements(int nAddition) {
    if (nAddition == kPhone)
        return kPhoneStatements;
    return nAddition == kPlan ? kPlanStatements : kNone;
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
        for (const std::string& statement : Statements(nAddition))
            rs.Open(statement, CADORecordset::ModeUnknown);
        // Read again inside the transaction: another copy of Coffer may have been first.
        if (Read(db) < nAddition)
            Write(db, nAddition);
    });
}
