#include "search/SearchRecords.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/FieldConversion.h"
#include "data/LedgerAdditions.h"
#include "search/SearchIndex.h"

#include <algorithm>

namespace {

std::vector<std::string> AccountNames(CADODatabase& db) {
    std::vector<std::string> names;
    if (CLedgerAdditions::Read(db) < CLedgerAdditions::kAccounts)
        return names;
    CADORecordset recordset(&db);
    if (!recordset.Open("select 名称 from accountList", CADORecordset::ModeQuery))
        return names;
    for (; !recordset.IsEOF(); recordset.MoveNext()) {
        std::string name;
        recordset.GetFieldValue(0, name);
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace

const char* SearchKindText(int nKind) {
    return nKind == 0 ? "收入" : "支出";
}

std::vector<SearchRow> CSearchRecords::Find(CADODatabase& db, const std::string& strText,
                                            const std::optional<SearchSpan>& span, bool bIndex,
                                            const Cancelled& cancelled) {
    std::vector<SearchRow> rows;
    const SearchEngine engine = CSearchIndex::EngineOf(db);
    const std::string statement =
        CSearchQuery::BuildStatement(CSearchText::Parse(strText), span, engine, bIndex,
                                     AccountNames(db));
    if (statement.empty())
        return rows;
    CADORecordset recordset(&db);
    if (!recordset.Open(statement, CADORecordset::ModeQuery))
        return rows;
    while (!recordset.IsEOF()) {
        if (cancelled && cancelled())
            return {};
        SearchRow row;
        double dValue = 0;
        recordset.GetFieldValue(0, dValue);
        row.nKind = dValue != 0 ? 1 : 0;
        FieldConversion::ToInteger(recordset.GetFieldView(1), row.nId);
        recordset.GetFieldValue(2, row.strMember);
        recordset.GetFieldValue(3, row.dAmount);
        // Another tool may have stored a text that is no date: it is shown as it stands.
        row.bDate = recordset.GetFieldValue(4, row.dtRecord);
        if (!row.bDate)
            recordset.GetFieldValue(4, row.strStoredDate);
        recordset.GetFieldValue(5, row.strItem);
        recordset.GetFieldValue(6, row.strNote);
        rows.push_back(std::move(row));
        recordset.MoveNext();
    }
    recordset.Close();
    // Newest first, undated records last; records of the same moment by kind and number.
    std::sort(rows.begin(), rows.end(), [](const SearchRow& a, const SearchRow& b) {
        if (a.bDate != b.bDate)
            return a.bDate;
        if (a.bDate && a.dtRecord.GetOleDate() != b.dtRecord.GetOleDate())
            return a.dtRecord.GetOleDate() > b.dtRecord.GetOleDate();
        if (!a.bDate && a.strStoredDate != b.strStoredDate)
            return a.strStoredDate > b.strStoredDate;
        if (a.nKind != b.nKind)
            return a.nKind < b.nKind;
        return a.nId > b.nId;
    });
    return rows;
}
