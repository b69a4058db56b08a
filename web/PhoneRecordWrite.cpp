#include "web/PhoneRecordWrite.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"
#include "records/AccountLink.h"
#include "records/ExpenseWatch.h"
#include "records/RecordTwin.h"
#include "records/RecordWriter.h"
#include "web/PhoneTexts.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kMemberTable = "家庭成员";

bool InList(CADODatabase& db, const char* szTable, const std::string& strEntry, bool& bEmpty) {
    CADORecordset rs(&db);
    bEmpty = true;
    if (!rs.Open(szTable, CADORecordset::ModeTable))
        return false;
    bool bFound = false;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string entry;
        rs.GetFieldValue(1, entry);
        bEmpty = false;
        bFound = bFound || entry == strEntry;
    }
    return bFound;
}

// The checks of the entry window, on what the ledger holds at this moment; `nAccount` is
// the named account's id (0 for none).
std::string Check(CADODatabase& db, const CRecordTwin& twin, const PhoneRecordFields& fields,
                  std::int64_t& nAccount) {
    if (fields.nCents == 0)
        return twin.szZeroAmountMessage;
    bool bEmpty = false;
    if (!InList(db, kMemberTable, fields.strMember, bEmpty))
        return bEmpty ? PhoneTexts::kNoMember : PhoneTexts::kMemberGone;
    if (!InList(db, twin.szCategoryTable, fields.strItem, bEmpty))
        return bEmpty ? twin.szNoCategoryMessage : PhoneTexts::kItemGone;
    nAccount = 0;
    if (fields.strAccount.empty() || fields.strAccount == CAccountLink::kNoAccount)
        return {};
    bool bStopped = false;
    nAccount = CAccountLink::Find(db, fields.strAccount, bStopped);
    if (nAccount == 0)
        return CRecordWriter::kUnknownAccountMessage;
    if (bStopped)
        return CRecordWriter::kStoppedAccountMessage;
    return {};
}

void SetFields(CADORecordset& rs, const CRecordTwin& twin, const PhoneRecordFields& fields) {
    rs.SetFieldValue(twin.szMemberColumn, fields.strMember);
    rs.SetFieldValue(twin.szItemColumn, fields.strItem);
    rs.SetFieldValue(twin.szAmountColumn, static_cast<double>(fields.nCents) / 100.0);
    rs.SetFieldValue(twin.szDateColumn, fields.date);
    rs.SetFieldValue("备注", fields.strNote);
}

std::string WithLine(const std::string& strMessage, const std::string& strLine) {
    return strLine.empty() ? strMessage : strMessage + "\n" + strLine;
}

} // namespace

PhoneWriteResult WritePhoneRecord(
    CADODatabase& db, const PhoneRecordFields& fields,
    const std::function<void(long nRecord, const std::string&)>& alsoWrite) {
    const CRecordTwin& twin = fields.bPay ? CRecordTwin::Pay : CRecordTwin::Income;
    PhoneWriteResult result;
    InTransaction(db, [&] {
        std::int64_t nAccount = 0;
        result.strMessage = Check(db, twin, fields, nAccount);
        if (!result.strMessage.empty())
            return;
        const CExpenseWatch::After watch =
            twin.bWatched ? CExpenseWatch::Start(db, fields.strItem, fields.date) : nullptr;
        CADORecordset rs(&db);
        if (!rs.Open(twin.szRecordTable, CADORecordset::ModeTable) || !rs.AddNew()) {
            result.strMessage = PhoneTexts::kFailed;
            return;
        }
        SetFields(rs, twin, fields);
        if (!rs.Update()) {
            result.strMessage = PhoneTexts::kFailed;
            return;
        }
        double dRecord = 0;
        rs.GetFieldValue(0, dRecord);
        rs.Close();
        result.nRecord = static_cast<long>(dRecord);
        CAccountLink::Set(db, twin.szRecordTable, result.nRecord, nAccount);
        result.strMessage = WithLine(PhoneTexts::kAdded, CExpenseWatch::Finish(watch));
        if (alsoWrite)
            alsoWrite(result.nRecord, result.strMessage);
        result.bWritten = true;
    });
    return result;
}

PhoneWriteResult RewritePhoneRecord(CADODatabase& db, long nRecord, const PhoneRecordFields& fields,
                                    const std::function<void()>& alsoWrite) {
    const CRecordTwin& twin = fields.bPay ? CRecordTwin::Pay : CRecordTwin::Income;
    PhoneWriteResult result;
    InTransaction(db, [&] {
        std::int64_t nAccount = 0;
        result.strMessage = Check(db, twin, fields, nAccount);
        if (!result.strMessage.empty())
            return;
        CADORecordset rs(&db);
        if (!rs.Open(std::string("select * from ") + twin.szRecordTable + " where 编号 = " +
                         NumberText::Itoa(nRecord),
                     CADORecordset::ModeQuery) ||
            rs.IsEOF()) {
            result.strMessage = PhoneTexts::kFailed;
            return;
        }
        const CExpenseWatch::After watch =
            twin.bWatched ? CExpenseWatch::Start(db, fields.strItem, fields.date) : nullptr;
        rs.Edit();
        SetFields(rs, twin, fields);
        if (!rs.Update()) {
            result.strMessage = PhoneTexts::kFailed;
            return;
        }
        rs.Close();
        CAccountLink::Set(db, twin.szRecordTable, nRecord, nAccount);
        if (alsoWrite)
            alsoWrite();
        result.nRecord = nRecord;
        result.bWritten = true;
        result.strMessage = WithLine(PhoneTexts::kCorrected, CExpenseWatch::Finish(watch));
    });
    return result;
}
