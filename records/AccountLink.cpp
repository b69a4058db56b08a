#include "records/AccountLink.h"

#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "records/RecordTwin.h"

namespace {

std::int64_t ReadId(CADORecordset& rs, int nIndex) {
    double dValue = 0;
    rs.GetFieldValue(nIndex, dValue);
    return static_cast<std::int64_t>(dValue);
}

std::string RecordCondition(const std::string& strTable, std::int64_t nRecord) {
    return "表 = '" + QuoteSql(strTable) + "' AND 编号 = " + NumberText::Itoa(nRecord);
}

} // namespace

bool CAccountLink::Present(CADODatabase& db) {
    return CLedgerAdditions::Read(db) >= CLedgerAdditions::kAccounts;
}

void CAccountLink::MakeIndexes(CADODatabase& db) {
    if (Present(db))
        CLedgerAdditions::Make(db, "accountorder");
}

std::vector<CAccountLink::Choice> CAccountLink::Choices(CADODatabase& db, bool bStoppedToo) {
    std::vector<Choice> choices;
    if (!Present(db))
        return choices;
    CADORecordset rs(&db);
    if (!rs.Open(std::string("SELECT ID, 名称 FROM accountList") +
                     (bStoppedToo ? "" : " WHERE 停用 = 0") + " ORDER BY 顺序, ID",
                 CADORecordset::ModeQuery))
        return choices;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        Choice choice;
        choice.nId = ReadId(rs, 0);
        rs.GetFieldValue(1, choice.strName);
        choices.push_back(std::move(choice));
    }
    return choices;
}

std::int64_t CAccountLink::Find(CADODatabase& db, const std::string& strName, bool& bStopped) {
    bStopped = false;
    if (strName.empty() || !Present(db))
        return 0;
    CADORecordset rs(&db);
    if (!rs.Open("SELECT ID, 停用 FROM accountList WHERE 名称 = '" + QuoteSql(strName) + "'",
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return 0;
    bStopped = ReadId(rs, 1) != 0;
    return ReadId(rs, 0);
}

std::string CAccountLink::Name(CADODatabase& db, std::int64_t nAccount) {
    std::string strName;
    if (!Present(db))
        return strName;
    CADORecordset rs(&db);
    if (rs.Open("SELECT 名称 FROM accountList WHERE ID = " + NumberText::Itoa(nAccount),
                CADORecordset::ModeQuery) &&
        !rs.IsEOF())
        rs.GetFieldValue(0, strName);
    return strName;
}

std::int64_t CAccountLink::Of(CADODatabase& db, const std::string& strTable, std::int64_t nRecord) {
    if (!Present(db))
        return 0;
    CADORecordset rs(&db);
    if (!rs.Open("SELECT 账户 FROM accountLink WHERE " + RecordCondition(strTable, nRecord),
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return 0;
    return ReadId(rs, 0);
}

std::string CAccountLink::ReconciledOn(CADODatabase& db, const std::string& strTable,
                                       std::int64_t nRecord) {
    std::string strDate;
    if (!Present(db))
        return strDate;
    CADORecordset rs(&db);
    if (rs.Open("SELECT 对账 FROM accountLink WHERE " + RecordCondition(strTable, nRecord),
                CADORecordset::ModeQuery) &&
        !rs.IsEOF())
        rs.GetFieldValue(0, strDate);
    return strDate;
}

void CAccountLink::Set(CADODatabase& db, const std::string& strTable, std::int64_t nRecord,
                       std::int64_t nAccount) {
    if (!Present(db) || Of(db, strTable, nRecord) == nAccount)
        return;
    CADORecordset rs(&db);
    rs.Open("DELETE FROM accountLink WHERE " + RecordCondition(strTable, nRecord),
            CADORecordset::ModeUnknown);
    if (nAccount == 0)
        return;
    // Only a record and an account still there are linked: another copy of Coffer may have
    // deleted either.
    const std::string strRecord = NumberText::Itoa(nRecord);
    const std::string strAccount = NumberText::Itoa(nAccount);
    rs.Open("INSERT INTO accountLink (表, 编号, 账户) SELECT '" + QuoteSql(strTable) + "', " +
                strRecord + ", " + strAccount + " FROM " + QuoteIdentifier(strTable) +
                " r, accountList a WHERE r.编号 = " + strRecord + " AND a.ID = " + strAccount,
            CADORecordset::ModeUnknown);
}

std::int64_t CAccountLink::LastUsed(CADODatabase& db, const CRecordTwin& twin,
                                    const std::string& strMember) {
    if (strMember.empty() || !Present(db))
        return 0;
    const std::string strTable = twin.szRecordTable;
    CADORecordset rs(&db);
    if (!rs.Open("SELECT l.账户 FROM accountLink l, " + strTable +
                     " r, accountList a WHERE l.表 = '" + strTable +
                     "' AND r.编号 = l.编号 AND a.ID = l.账户 AND a.停用 = 0 AND r." +
                     twin.szMemberColumn + " = '" + QuoteSql(strMember) +
                     "' ORDER BY l.编号 DESC LIMIT 1",
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return 0;
    return ReadId(rs, 0);
}
