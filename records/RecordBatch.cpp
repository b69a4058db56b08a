#include "records/RecordBatch.h"

#include "data/ADODatabase.h"
#include "data/ADOInserter.h"
#include "data/ADORecordset.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "records/AccountLink.h"
#include "records/RecordSource.h"
#include "records/RecordTwin.h"
#include "records/RecordWriter.h"

#include <algorithm>
#include <cstring>

CRecordBatch::CRecordBatch(CADODatabase& db) : m_db(db) {}

CRecordBatch::~CRecordBatch() = default;

bool CRecordBatch::InList(const char* szTable, const std::string& strEntry, bool& bEmpty) {
    auto list = std::find_if(m_lists.begin(), m_lists.end(),
                             [szTable](const List& each) { return each.strTable == szTable; });
    if (list == m_lists.end()) {
        std::vector<std::string> entries;
        CADORecordset rs(&m_db);
        if (rs.Open(szTable, CADORecordset::ModeTable))
            for (; !rs.IsEOF(); rs.MoveNext()) {
                std::string strText;
                rs.GetFieldValue(1, strText);
                entries.push_back(std::move(strText));
            }
        list = m_lists.insert(m_lists.end(), List{szTable, std::move(entries), 0});
    }
    const std::vector<std::string>& entries = list->entries;
    bEmpty = entries.empty();
    if (!bEmpty && entries[list->nLast] == strEntry)
        return true;
    const auto found = std::find(entries.begin(), entries.end(), strEntry);
    if (found == entries.end())
        return false;
    list->nLast = static_cast<std::size_t>(found - entries.begin());
    return true;
}

void CRecordBatch::LoadAccounts() {
    m_bAccountsRead = true;
    m_bAccountsPresent = CAccountLink::Present(m_db);
    if (!m_bAccountsPresent)
        return;
    CADORecordset rs(&m_db);
    if (!rs.Open("SELECT 名称, ID, 停用 FROM accountList ORDER BY ID", CADORecordset::ModeQuery))
        return;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string strName;
        double dId = 0, dStopped = 0;
        rs.GetFieldValue(0, strName);
        rs.GetFieldValue(1, dId);
        rs.GetFieldValue(2, dStopped);
        // The first of two accounts of one name, as a lookup by name finds it.
        m_accounts.emplace(strName, Account{static_cast<std::int64_t>(dId), dStopped != 0});
    }
}

std::int64_t CRecordBatch::FindAccount(const std::string& strName, bool& bStopped) {
    bStopped = false;
    if (!m_bAccountsRead)
        LoadAccounts();
    if (strName.empty())
        return 0;
    if (!m_pLastAccount || m_pLastAccount->first != strName) {
        const auto found = m_accounts.find(strName);
        if (found == m_accounts.end())
            return 0;
        m_pLastAccount = &*found;
    }
    bStopped = m_pLastAccount->second.bStopped;
    return m_pLastAccount->second.nId;
}

void CRecordBatch::Write(const CNewRecord& record, const CRecordTwin& twin, std::int64_t nCents,
                         std::int64_t nAccount, std::int64_t& nRecord) {
    std::unique_ptr<CADOInserter>& records = m_records[twin.szRecordTable];
    if (!records)
        records = std::make_unique<CADOInserter>(
            &m_db, twin.szRecordTable,
            std::vector<std::string>{twin.szMemberColumn, twin.szItemColumn, twin.szAmountColumn,
                                     twin.szDateColumn, "备注"});
    // The columns and values of the single-record path.
    records->SetFieldValue(0, record.strMember);
    records->SetFieldValue(1, record.strItem);
    records->SetFieldValue(2, static_cast<double>(nCents) / 100.0);
    records->SetFieldValue(3, record.dtRecord);
    records->SetFieldValue(4, record.strNote);
    // Held back like the rows attached to it: nothing reads the record tables before the
    // batch finishes.
    nRecord = records->AddKeyed();
    if (!m_bAccountsRead)
        LoadAccounts();
    // A new record has no link yet, and both it and its account are there: the link goes in
    // without the checks a changed record needs.
    if (nAccount != 0 && m_bAccountsPresent) {
        LinkRun* run = m_linkRuns.empty() ? nullptr : &m_linkRuns.back();
        if (run && std::strcmp(run->szTable, twin.szRecordTable) == 0 &&
            run->nAccount == nAccount && run->nLast + 1 == nRecord)
            run->nLast = nRecord;
        else
            m_linkRuns.push_back(LinkRun{twin.szRecordTable, nRecord, nRecord, nAccount});
    }
    if (!record.strOrder.empty() && record.strSource.empty()) {
        // An empty source is stored as text, not as the null the insert would make of it.
        CRecordSource::Set(m_db, record.strSource, record.strOrder, twin.szRecordTable, nRecord);
    } else if (!record.strOrder.empty()) {
        if (!m_orders)
            m_orders = std::make_unique<CADOInserter>(
                &m_db, "billOrder", std::vector<std::string>{"来源", "单号", "表", "编号"});
        m_orders->SetFieldValue(0, record.strSource);
        m_orders->SetFieldValue(1, record.strOrder);
        m_orders->SetFieldValue(2, std::string(twin.szRecordTable));
        m_orders->SetFieldValue(3, static_cast<double>(nRecord));
        m_orders->Add();
    }
}

void CRecordBatch::WriteLinks() {
    // A long run goes in as one INSERT … SELECT over its records' keys, the engine's work
    // alone; a statement costs more than a few rows, so short runs go through the inserter.
    constexpr std::int64_t kShortRun = 16;
    for (const LinkRun& run : m_linkRuns) {
        if (run.nLast - run.nFirst + 1 < kShortRun) {
            if (!m_links)
                m_links = std::make_unique<CADOInserter>(
                    &m_db, "accountLink", std::vector<std::string>{"表", "编号", "账户"});
            for (std::int64_t nRecord = run.nFirst; nRecord <= run.nLast; ++nRecord) {
                m_links->SetFieldValue(0, std::string(run.szTable));
                m_links->SetFieldValue(1, static_cast<double>(nRecord));
                m_links->SetFieldValue(2, static_cast<double>(run.nAccount));
                m_links->Add();
            }
            continue;
        }
        CADORecordset rs(&m_db);
        rs.Open("INSERT INTO accountLink (表, 编号, 账户) SELECT '" + QuoteSql(run.szTable) +
                    "', 编号, " + NumberText::Itoa(run.nAccount) + " FROM " +
                    QuoteIdentifier(run.szTable) + " WHERE 编号 BETWEEN " +
                    NumberText::Itoa(run.nFirst) + " AND " + NumberText::Itoa(run.nLast),
                CADORecordset::ModeUnknown);
    }
    m_linkRuns.clear();
    if (m_links)
        m_links->Finish();
}

void CRecordBatch::Finish() {
    for (auto& [strTable, records] : m_records)
        records->Finish();
    WriteLinks();
    if (m_orders)
        m_orders->Finish();
}
