#include "web/PhoneLedger.h"

#include "backup/AdditionBackup.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "pictures/PicturePrep.h"
#include "pictures/PictureStore.h"
#include "records/AccountLink.h"
#include "records/RecordTwin.h"
#include "web/PhoneTexts.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

const char* const kMemberTable = "家庭成员";

std::string DateLiteral(int nYear, int nMonth) {
    char text[32];
    std::snprintf(text, sizeof text, "#%04d-%02d-01#", nYear, nMonth);
    return text;
}

CPhoneLedger::Record ReadRecord(CADORecordset& rs, bool bPay) {
    // Columns by position, as the ledger's format fixes them.
    CPhoneLedger::Record record;
    record.bPay = bPay;
    double dValue = 0;
    rs.GetFieldValue(0, dValue);
    record.nId = static_cast<long>(dValue);
    rs.GetFieldValue(1, record.strMember);
    rs.GetFieldValue(2, dValue);
    record.nCents = std::llround(dValue * 100.0);
    rs.GetFieldValue(3, record.date);
    rs.GetFieldValue(4, record.strItem);
    rs.GetFieldValue(5, record.strNote);
    return record;
}

} // namespace

CPhoneLedger::CPhoneLedger(std::string strConnection) : m_strConnection(std::move(strConnection)) {}

bool CPhoneLedger::Open(std::string& strError) {
    if (m_db.IsOpen())
        return true;
    m_bTables = false;
    m_db.SetConnectionString(m_strConnection);
    try {
        if (m_db.Open())
            return true;
    } catch (const std::exception&) {
    }
    strError = m_db.GetErrorDescription();
    return false;
}

std::vector<std::string> CPhoneLedger::List(const char* szTable) {
    std::vector<std::string> entries;
    CADORecordset rs(&m_db);
    if (!rs.Open(szTable, CADORecordset::ModeTable))
        return entries;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string entry;
        rs.GetFieldValue(1, entry);
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::string> CPhoneLedger::Members() {
    return List(kMemberTable);
}

std::vector<std::string> CPhoneLedger::Categories(bool bPay) {
    return List((bPay ? CRecordTwin::Pay : CRecordTwin::Income).szCategoryTable);
}

std::vector<std::string> CPhoneLedger::Accounts() {
    std::vector<std::string> names;
    const std::vector<CAccountLink::Choice> choices = CAccountLink::Choices(m_db);
    if (choices.empty())
        return names;
    names.push_back(CAccountLink::kNoAccount);
    for (const CAccountLink::Choice& choice : choices)
        names.push_back(choice.strName);
    return names;
}

std::string CPhoneLedger::LastAccount(const std::string& strMember, bool bPay) {
    const std::int64_t nAccount =
        CAccountLink::LastUsed(m_db, bPay ? CRecordTwin::Pay : CRecordTwin::Income, strMember);
    return nAccount == 0 ? CAccountLink::kNoAccount : CAccountLink::Name(m_db, nAccount);
}

bool CPhoneLedger::EnsureTables(std::string& strError) {
    if (m_bTables || CLedgerAdditions::Read(m_db) >= CLedgerAdditions::kPhone)
        return m_bTables = true;
    if (!BackUpBeforeAddition(m_db, strError))
        return false;
    for (int nAddition = 1; nAddition <= CLedgerAdditions::kPhone; ++nAddition)
        CLedgerAdditions::Add(m_db, nAddition);
    return m_bTables = true;
}

std::string CPhoneLedger::Read(const Entry& entry, PhoneRecordFields& fields) const {
    fields.bPay = entry.bPay;
    if (web::ParseAmount(entry.strAmount, fields.nCents) != web::AmountText::Ok)
        return PhoneTexts::kNotNumber;
    fields.strMember = entry.strMember;
    fields.strItem = entry.strItem;
    fields.strAccount = entry.strAccount;
    if (web::CharacterCount(entry.strNote) > kMaxNoteCharacters)
        return PhoneTexts::kNoteTooLong;
    fields.strNote = entry.strNote;
    if (entry.strWhen.empty()) {
        fields.date = COleDateTime::GetCurrentTime();
    } else {
        web::LocalDateTime when;
        if (!web::ParseDateTime(entry.strWhen, when))
            return PhoneTexts::kBadDate;
        fields.date = COleDateTime(when.nYear, when.nMonth, when.nDay, when.nHour, when.nMinute,
                                   when.nSecond);
        if (fields.date.GetStatus() != COleDateTime::valid)
            return PhoneTexts::kBadDate;
    }
    return {};
}

std::string CPhoneLedger::PreparePictures(const std::vector<std::string>& pictures,
                                          std::vector<CPreparedPicture>& prepared) {
    if (pictures.size() > kMaxPictures)
        return PhoneTexts::kTooManyPictures;
    std::string strError;
    for (const std::string& bytes : pictures) {
        CPreparedPicture picture;
        if (!CPicturePrep::FromBytes(bytes, picture, strError))
            return strError;
        prepared.push_back(std::move(picture));
    }
    // The picture tables come after their backup, before the record's transaction.
    if (!prepared.empty() && !CPictureStore(m_db).Ensure(strError))
        return strError;
    return {};
}

std::string CPhoneLedger::AttachPictures(bool bPay, long nRecord,
                                         const std::vector<CPreparedPicture>& prepared) {
    if (prepared.empty())
        return {};
    const char* szTable = (bPay ? CRecordTwin::Pay : CRecordTwin::Income).szRecordTable;
    CPictureStore store(m_db);
    for (const CPreparedPicture& picture : prepared)
        if (store.Attach(szTable, nRecord, picture) == 0)
            throw std::runtime_error("the record for the pictures is gone");
    char line[64];
    std::snprintf(line, sizeof line, PhoneTexts::kPicturesAttached, store.Count(szTable, nRecord));
    return line;
}

PhoneWriteResult CPhoneLedger::Submit(const std::string& strSubmissionId,
                                      const std::string& strDeviceId, const Entry& entry,
                                      qint64 nNow, const std::vector<std::string>& pictures) {
    PhoneWriteResult result;
    if (!EnsureTables(result.strMessage))
        return result;
    CADORecordset rs(&m_db);
    if (rs.Open("select * from phoneSubmission where submissionId = '" +
                    QuoteSql(strSubmissionId) + "'",
                CADORecordset::ModeQuery) &&
        !rs.IsEOF()) {
        double dRecord = 0;
        rs.GetFieldValue(3, dRecord);
        rs.GetFieldValue(4, result.strMessage);
        result.nRecord = static_cast<long>(dRecord);
        result.bWritten = true;
        return result;
    }
    rs.Close();
    PhoneRecordFields fields;
    result.strMessage = Read(entry, fields);
    std::vector<CPreparedPicture> prepared;
    if (result.strMessage.empty())
        result.strMessage = PreparePictures(pictures, prepared);
    if (!result.strMessage.empty())
        return result;
    // What the phone is told, and told again for a retry, names the receipts that went along.
    std::string strPictures;
    result = WritePhoneRecord(m_db, fields, [&](long nRecord, const std::string& strAdded) {
        strPictures = AttachPictures(entry.bPay, nRecord, prepared);
        const std::string strMessage = strPictures.empty() ? strAdded : strAdded + "\n" + strPictures;
        CADORecordset submission(&m_db);
        submission.Open("insert into phoneSubmission (submissionId, device, kind, recordId, "
                        "outcome, madeAt) values ('" +
                            QuoteSql(strSubmissionId) + "', '" + QuoteSql(strDeviceId) + "', " +
                            (entry.bPay ? "1" : "0") + ", " + NumberText::Itoa(nRecord) + ", '" +
                            QuoteSql(strMessage) + "', " + NumberText::Itoa(nNow) + ")",
                        CADORecordset::ModeUnknown);
    });
    if (result.bWritten && !strPictures.empty())
        result.strMessage += "\n" + strPictures;
    return result;
}

std::vector<CPhoneLedger::Record> CPhoneLedger::MonthRecords(const std::string& strMember,
                                                            const COleDateTime& now) {
    std::vector<Record> records;
    const int nYear = now.GetYear();
    const int nMonth = now.GetMonth();
    const std::string from = DateLiteral(nYear, nMonth);
    const std::string to = nMonth == 12 ? DateLiteral(nYear + 1, 1) : DateLiteral(nYear, nMonth + 1);
    for (const CRecordTwin* twin : {&CRecordTwin::Income, &CRecordTwin::Pay}) {
        const std::unordered_set<std::int64_t> withPictures =
            CPictureStore(m_db).RecordsWithPictures(twin->szRecordTable);
        CADORecordset rs(&m_db);
        if (!rs.Open(std::string("select * from ") + twin->szRecordTable + " where " +
                         twin->szMemberColumn + " = '" + QuoteSql(strMember) + "' and " +
                         twin->szDateColumn + " >= " + from + " and " + twin->szDateColumn +
                         " < " + to,
                     CADORecordset::ModeQuery))
            continue;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            records.push_back(ReadRecord(rs, twin == &CRecordTwin::Pay));
            records.back().bPictures = withPictures.count(records.back().nId) != 0;
        }
    }
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return a.date > b.date || (a.date == b.date && a.nId > b.nId);
    });
    return records;
}

std::optional<CPhoneLedger::Record> CPhoneLedger::LastRecord(const std::string& strDeviceId,
                                                            qint64 nNow) {
    if (CLedgerAdditions::Read(m_db) < CLedgerAdditions::kPhone)
        return std::nullopt;
    CADORecordset rs(&m_db);
    if (!rs.Open("select * from phoneSubmission where device = '" + QuoteSql(strDeviceId) +
                     "' and madeAt >= " + NumberText::Itoa(nNow - kCorrectSeconds) +
                     " order by madeAt desc, recordId desc",
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return std::nullopt;
    double dKind = 0;
    double dRecord = 0;
    rs.GetFieldValue(2, dKind);
    rs.GetFieldValue(3, dRecord);
    rs.Close();
    const CRecordTwin& twin = dKind != 0 ? CRecordTwin::Pay : CRecordTwin::Income;
    if (!rs.Open(std::string("select * from ") + twin.szRecordTable + " where 编号 = " +
                     NumberText::Itoa(static_cast<long>(dRecord)),
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return std::nullopt;
    Record record = ReadRecord(rs, dKind != 0);
    const std::int64_t nAccount = CAccountLink::Of(m_db, twin.szRecordTable, record.nId);
    record.strAccount = nAccount == 0 ? CAccountLink::kNoAccount : CAccountLink::Name(m_db, nAccount);
    record.nPictures = CPictureStore(m_db).Count(twin.szRecordTable, record.nId);
    record.bPictures = record.nPictures > 0;
    return record;
}

PhoneWriteResult CPhoneLedger::Correct(const std::string& strDeviceId, const Entry& entry,
                                       qint64 nNow, const std::vector<std::string>& pictures) {
    PhoneWriteResult result;
    const std::optional<Record> last = LastRecord(strDeviceId, nNow);
    if (!last) {
        result.strMessage = PhoneTexts::kTooLate;
        return result;
    }
    PhoneRecordFields fields;
    Entry same = entry;
    same.bPay = last->bPay;
    result.strMessage = Read(same, fields);
    std::vector<CPreparedPicture> prepared;
    if (result.strMessage.empty())
        result.strMessage = PreparePictures(pictures, prepared);
    if (!result.strMessage.empty())
        return result;
    std::string strPictures;
    result = RewritePhoneRecord(m_db, last->nId, fields,
                                [&] { strPictures = AttachPictures(last->bPay, last->nId, prepared); });
    if (result.bWritten && !strPictures.empty())
        result.strMessage += "\n" + strPictures;
    return result;
}

PhoneWriteResult CPhoneLedger::Delete(const std::string& strDeviceId, qint64 nNow) {
    PhoneWriteResult result;
    const std::optional<Record> last = LastRecord(strDeviceId, nNow);
    if (!last) {
        result.strMessage = PhoneTexts::kTooLate;
        return result;
    }
    const CRecordTwin& twin = last->bPay ? CRecordTwin::Pay : CRecordTwin::Income;
    InTransaction(m_db, [&] {
        CADORecordset rs(&m_db);
        if (rs.Open(std::string("select * from ") + twin.szRecordTable + " where 编号 = " +
                        NumberText::Itoa(last->nId),
                    CADORecordset::ModeQuery) &&
            !rs.IsEOF() && rs.Delete()) {
            result.bWritten = true;
            result.nRecord = last->nId;
        }
    });
    result.strMessage = result.bWritten ? PhoneTexts::kDeleted : PhoneTexts::kFailed;
    return result;
}
