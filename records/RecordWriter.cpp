#include "records/RecordWriter.h"

#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/SqlText.h"
#include "platform/ui/DataExchange.h"
#include "records/AccountLink.h"
#include "records/RecordBatch.h"
#include "records/ExpenseWatch.h"
#include "records/RecordSource.h"
#include "records/RecordTwin.h"

namespace {

const char* const kMemberTable = "家庭成员";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

CRecordWriter::Outcome CRecordWriter::ParseCents(std::string_view strText, std::int64_t& nCents) {
    const std::string_view text = Trimmed(strText);
    if (text.empty())
        return NoAmount;
    size_t at = 0;
    const bool bNegative = text[0] == '-';
    if (bNegative || text[0] == '+')
        ++at;
    // Whole yuan up to what a double still holds to the cent.
    constexpr std::int64_t kMaxCents = std::int64_t{1} << 52;
    std::int64_t nValue = 0;
    int nDigits = 0;
    int nDecimals = -1;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '.' && nDecimals < 0) {
            nDecimals = 0;
            continue;
        }
        if (!IsDigit(c))
            return NotANumber;
        ++nDigits;
        if (nDecimals >= 0 && ++nDecimals > 2) {
            if (c != '0')
                return NotCents; // "1.230" is still cents
            continue;
        }
        nValue = nValue * 10 + (c - '0');
        if (nValue > kMaxCents)
            return NotANumber;
    }
    if (nDigits == 0)
        return NotANumber;
    for (int nPad = nDecimals < 0 ? 0 : nDecimals; nPad < 2; ++nPad)
        nValue *= 10;
    if (nValue > kMaxCents)
        return NotANumber;
    nCents = bNegative ? -nValue : nValue;
    return Added;
}

CRecordWriter::CRecordWriter(CADODatabase& db) : m_db(db) {}

CRecordWriter::~CRecordWriter() = default;

void CRecordWriter::StartBatch() {
    m_pBatch = std::make_unique<CRecordBatch>(m_db);
}

void CRecordWriter::FinishBatch() {
    if (!m_pBatch)
        return;
    const std::unique_ptr<CRecordBatch> batch = std::move(m_pBatch);
    batch->Finish();
}

bool CRecordWriter::InList(const char* szTable, const std::string& strEntry, bool& bEmpty) {
    if (m_pBatch)
        return m_pBatch->InList(szTable, strEntry, bEmpty);
    CADORecordset rs(&m_db);
    bEmpty = !rs.Open(szTable, CADORecordset::ModeTable) || rs.IsEOF();
    for (; !bEmpty && !rs.IsEOF(); rs.MoveNext()) {
        std::string strText;
        rs.GetFieldValue(1, strText);
        if (strText == strEntry)
            return true;
    }
    return false;
}

CRecordWriter::Outcome CRecordWriter::Check(const CNewRecord& record, const CRecordTwin& twin,
                                            std::int64_t& nCents, std::int64_t& nAccount) {
    if (const Outcome amount = ParseCents(record.strAmount, nCents); amount != Added)
        return amount;
    if (nCents == 0)
        return ZeroAmount;
    bool bEmpty = false;
    if (!InList(kMemberTable, record.strMember, bEmpty))
        return bEmpty ? NoMember : UnknownMember;
    if (!InList(twin.szCategoryTable, record.strItem, bEmpty))
        return bEmpty ? NoCategory : UnknownCategory;
    nAccount = 0;
    if (!record.strAccount.empty() && record.strAccount != CAccountLink::kNoAccount) {
        bool bStopped = false;
        nAccount = m_pBatch ? m_pBatch->FindAccount(record.strAccount, bStopped)
                            : CAccountLink::Find(m_db, record.strAccount, bStopped);
        if (nAccount == 0)
            return UnknownAccount;
        if (bStopped)
            return StoppedAccount;
    }
    return Added;
}

std::string CRecordWriter::MessageOf(Outcome nOutcome, const CRecordTwin& twin) {
    switch (nOutcome) {
    case Added:
        return kAddedMessage;
    case NoAmount:
    case NotANumber:
        return ui::kNumberPrompt;
    case NotCents:
        return kNotCentsMessage;
    case ZeroAmount:
        return twin.szZeroAmountMessage;
    case NoMember:
        return kNoMemberMessage;
    case NoCategory:
        return twin.szNoCategoryMessage;
    case UnknownMember:
        return kUnknownMemberMessage;
    case UnknownCategory:
        return std::string("没有这个") + twin.szItemColumn + "！";
    case UnknownAccount:
        return kUnknownAccountMessage;
    case StoppedAccount:
        return kStoppedAccountMessage;
    case Failed:
        break;
    }
    return kFailedMessage;
}

CRecordWriter::Result CRecordWriter::Add(const CNewRecord& record) {
    const CRecordTwin& twin = record.bIncome ? CRecordTwin::Income : CRecordTwin::Pay;
    Result result;
    std::int64_t nCents = 0;
    std::int64_t nAccount = 0;
    result.nOutcome = Check(record, twin, nCents, nAccount);
    if (result.nOutcome != Added) {
        result.strMessage = MessageOf(result.nOutcome, twin);
        return result;
    }

    const CExpenseWatch::After watch =
        twin.bWatched ? CExpenseWatch::Start(m_db, record.strItem, record.dtRecord) : nullptr;
    bool bAdded = false;
    InTransaction(m_db, [&] { bAdded = Write(record, twin, nCents, nAccount, result.nRecord); });
    result.nOutcome = bAdded ? Added : Failed;
    result.strMessage = MessageOf(result.nOutcome, twin);
    if (const std::string note = bAdded ? CExpenseWatch::Finish(watch) : ""; !note.empty())
        result.strMessage += "\n" + note;
    return result;
}

CRecordWriter::Result CRecordWriter::AddWithin(const CNewRecord& record) {
    const CRecordTwin& twin = record.bIncome ? CRecordTwin::Income : CRecordTwin::Pay;
    Result result;
    std::int64_t nCents = 0;
    std::int64_t nAccount = 0;
    result.nOutcome = Check(record, twin, nCents, nAccount);
    if (result.nOutcome == Added && !Write(record, twin, nCents, nAccount, result.nRecord))
        result.nOutcome = Failed;
    result.strMessage = MessageOf(result.nOutcome, twin);
    return result;
}

bool CRecordWriter::Write(const CNewRecord& record, const CRecordTwin& twin, std::int64_t nCents,
                          std::int64_t nAccount, std::int64_t& nRecord) {
    if (m_pBatch) {
        m_pBatch->Write(record, twin, nCents, nAccount, nRecord);
        return true;
    }
    CADORecordset rs(&m_db);
    if (!rs.Open(twin.szRecordTable, CADORecordset::ModeTable) || !rs.AddNew())
        return false;
    // The columns in the order the entry windows set them.
    rs.SetFieldValue(twin.szMemberColumn, record.strMember);
    rs.SetFieldValue(twin.szItemColumn, record.strItem);
    rs.SetFieldValue(twin.szAmountColumn, static_cast<double>(nCents) / 100.0);
    rs.SetFieldValue(twin.szDateColumn, record.dtRecord);
    rs.SetFieldValue("备注", record.strNote);
    if (!rs.Update())
        return false;
    double dRecord = 0;
    rs.GetFieldValue(0, dRecord);
    nRecord = static_cast<std::int64_t>(dRecord);
    Attach(twin, nRecord, nAccount);
    if (!record.strOrder.empty())
        CRecordSource::Set(m_db, record.strSource, record.strOrder, twin.szRecordTable, nRecord);
    return true;
}

void CRecordWriter::Attach(const CRecordTwin& twin, std::int64_t nRecord, std::int64_t nAccount) {
    CAccountLink::Set(m_db, twin.szRecordTable, nRecord, nAccount);
}
