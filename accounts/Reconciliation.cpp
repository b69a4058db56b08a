#include "accounts/Reconciliation.h"

#include "accounts/TransferStore.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"
#include "data/SqlText.h"

#include <cmath>

CReconciliation::CReconciliation(CADODatabase& db, const CAccount& account,
                                 const std::map<std::int64_t, std::string>& names)
    : m_db(db), m_account(account), m_names(names) {
}

void CReconciliation::Start(const std::string& strDate, std::int64_t nStatement) {
    m_strDate = strDate;
    m_nStatement = nStatement;
    m_nReconciled = m_account.nOpening;
    m_items.clear();
    // The whole statement day counts: the bound is the next day's first second.
    const std::string end = strDate + " 23:59:59";
    for (CHistoryItem& item : CAccountHistory(m_db).Load(m_account, m_names)) {
        if (!item.strReconciled.empty())
            m_nReconciled += item.nAmount;
        else if (item.strDate <= end)
            m_items.push_back(std::move(item));
    }
    m_ticked.assign(m_items.size(), false);
}

void CReconciliation::Tick(size_t nItem, bool bTicked) {
    m_ticked.at(nItem) = bTicked;
}

std::int64_t CReconciliation::Difference() const {
    std::int64_t nCleared = m_nReconciled;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_ticked[i])
            nCleared += m_items[i].nAmount;
    return m_nStatement - nCleared;
}

bool CReconciliation::Finish() {
    if (Difference() != 0)
        return false;
    const std::string mark = "'" + QuoteSql(m_strDate) + " 00:00:00'";
    InTransaction(m_db, [&] {
        CADORecordset rs(&m_db);
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (!m_ticked[i])
                continue;
            const CHistoryItem& item = m_items[i];
            const std::string id = NumberText::Itoa(item.nId);
            if (item.strTable == "accountTransfer")
                rs.Open(std::string("UPDATE accountTransfer SET ") +
                            (item.nKind == CHistoryItem::TransferIn ? "转入对账" : "转出对账") +
                            " = " + mark + " WHERE ID = " + id,
                        CADORecordset::ModeUnknown);
            else
                rs.Open("UPDATE accountLink SET 对账 = " + mark + " WHERE 表 = '" + item.strTable +
                            "' AND 编号 = " + id,
                        CADORecordset::ModeUnknown);
        }
        rs.Open("INSERT INTO accountReconcile (账户, 日期, 余额) VALUES (" +
                    NumberText::Itoa(m_account.nId) + ", " + mark + ", " +
                    NumberText::Itoa(m_nStatement) + ")",
                CADORecordset::ModeUnknown);
    });
    m_nReconciled = m_nStatement;
    return true;
}

void CReconciliation::Adjust() {
    const std::int64_t nDifference = Difference();
    if (nDifference != 0) {
        CTransfer adjustment;
        adjustment.nAmount = std::llabs(nDifference);
        (nDifference > 0 ? adjustment.nTo : adjustment.nFrom) = m_account.nId;
        adjustment.strDate = m_strDate + " 23:59:59";
        CTransferStore(m_db).Save(adjustment, true);
        CHistoryItem item;
        item.nKind = nDifference > 0 ? CHistoryItem::TransferIn : CHistoryItem::TransferOut;
        item.strTable = "accountTransfer";
        item.nId = adjustment.nId;
        item.strDate = adjustment.strDate;
        item.nAmount = nDifference;
        m_items.push_back(item);
        m_ticked.push_back(true);
    }
    Finish();
}

std::pair<std::string, std::int64_t> CReconciliation::Last(CADODatabase& db,
                                                           std::int64_t nAccount) {
    CADORecordset rs(&db);
    if (!rs.Open("SELECT 日期, 余额 FROM accountReconcile WHERE 账户 = " +
                     NumberText::Itoa(nAccount) + " ORDER BY 日期 DESC, ID DESC LIMIT 1",
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return {"", 0};
    std::string strDate;
    double dBalance = 0;
    rs.GetFieldValue(0, strDate);
    rs.GetFieldValue(1, dBalance);
    return {strDate.substr(0, 10), std::llround(dBalance)};
}
