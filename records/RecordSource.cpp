#include "records/RecordSource.h"

#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/SqlText.h"

#include <cmath>

bool CRecordSource::Present(CADODatabase& db) {
    return CLedgerAdditions::Read(db) >= CLedgerAdditions::kBills;
}

void CRecordSource::Set(CADODatabase& db, const std::string& strSource, const std::string& strOrder,
                        const std::string& strTable, std::int64_t nRow) {
    CADORecordset rs(&db);
    rs.Open("INSERT INTO billOrder (来源, 单号, 表, 编号) VALUES ('" + QuoteSql(strSource) +
                "', '" + QuoteSql(strOrder) + "', '" + QuoteSql(strTable) + "', " +
                NumberText::Itoa(nRow) + ")",
            CADORecordset::ModeUnknown);
}

bool CRecordSource::Find(CADODatabase& db, const std::string& strSource, const std::string& strOrder,
                         std::string& strTable, std::int64_t& nRow) {
    if (!Present(db))
        return false;
    CADORecordset rs(&db);
    if (!rs.Open("SELECT 表, 编号 FROM billOrder WHERE 来源 = '" + QuoteSql(strSource) +
                     "' AND 单号 = '" + QuoteSql(strOrder) + "'",
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return false;
    double dRow = 0;
    rs.GetFieldValue(0, strTable);
    rs.GetFieldValue(1, dRow);
    nRow = std::llround(dRow);
    return true;
}
