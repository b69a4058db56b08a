#include "accounts/TransferStore.h"

#include "accounts/AccountTexts.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"
#include "data/SqlText.h"

#include <cmath>

namespace {

std::string TextOrNull(const std::string& text) {
    return text.empty() ? "NULL" : "'" + QuoteSql(text) + "'";
}

std::int64_t ReadInteger(CADORecordset& rs, int nIndex) {
    double dValue = 0;
    rs.GetFieldValue(nIndex, dValue);
    return std::llround(dValue);
}

} // namespace

std::string CTransferStore::Check(const CTransfer& transfer, bool bAdjustment) const {
    if (!bAdjustment && (transfer.nFrom == 0 || transfer.nTo == 0))
        return AccountTexts::kTransferAccounts;
    if (transfer.nFrom == transfer.nTo)
        return AccountTexts::kTransferSame;
    if (transfer.nAmount <= 0)
        return AccountTexts::kTransferZero;
    return {};
}

std::string CTransferStore::Save(CTransfer& transfer, bool bAdjustment) {
    if (std::string wrong = Check(transfer, bAdjustment); !wrong.empty())
        return wrong;
    InTransaction(m_db, [&] { Write(transfer); });
    return {};
}

std::string CTransferStore::AddWithin(CTransfer& transfer) {
    if (std::string wrong = Check(transfer, false); !wrong.empty())
        return wrong;
    transfer.nId = 0;
    Write(transfer);
    return {};
}

void CTransferStore::Write(CTransfer& transfer) {
    const std::string values =
        NumberText::Itoa(transfer.nFrom) + ", " + NumberText::Itoa(transfer.nTo) + ", " +
        NumberText::Itoa(transfer.nAmount) + ", '" + QuoteSql(transfer.strDate) + "', " +
        TextOrNull(transfer.strMember) + ", " + TextOrNull(transfer.strNote);
    CADORecordset rs(&m_db);
    if (transfer.nId != 0) {
        // A changed transfer is checked against the statement again.
        rs.Open("UPDATE accountTransfer SET (转出账户, 转入账户, 金额, 日期, 人员, 备注, "
                "转出对账, 转入对账) = (" +
                    values + ", NULL, NULL) WHERE ID = " + NumberText::Itoa(transfer.nId),
                CADORecordset::ModeUnknown);
        return;
    }
    rs.Open("INSERT INTO accountTransfer (转出账户, 转入账户, 金额, 日期, 人员, 备注) VALUES (" +
                values + ")",
            CADORecordset::ModeUnknown);
    if (rs.Open("SELECT MAX(ID) FROM accountTransfer", CADORecordset::ModeQuery) && !rs.IsEOF())
        transfer.nId = ReadInteger(rs, 0);
}

std::optional<CTransfer> CTransferStore::Load(std::int64_t nId) {
    CADORecordset rs(&m_db);
    if (!rs.Open("SELECT ID, 转出账户, 转入账户, 金额, 日期, 人员, 备注 FROM accountTransfer "
                 "WHERE ID = " +
                     NumberText::Itoa(nId),
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return std::nullopt;
    CTransfer transfer;
    transfer.nId = ReadInteger(rs, 0);
    transfer.nFrom = ReadInteger(rs, 1);
    transfer.nTo = ReadInteger(rs, 2);
    transfer.nAmount = ReadInteger(rs, 3);
    rs.GetFieldValue(4, transfer.strDate);
    rs.GetFieldValue(5, transfer.strMember);
    rs.GetFieldValue(6, transfer.strNote);
    return transfer;
}

void CTransferStore::Remove(std::int64_t nId) {
    CADORecordset(&m_db).Open("DELETE FROM accountTransfer WHERE ID = " + NumberText::Itoa(nId),
                              CADORecordset::ModeUnknown);
}

bool CTransferStore::Reconciled(std::int64_t nId) {
    CADORecordset rs(&m_db);
    return rs.Open("SELECT ID FROM accountTransfer WHERE ID = " + NumberText::Itoa(nId) +
                       " AND (转出对账 IS NOT NULL OR 转入对账 IS NOT NULL)",
                   CADORecordset::ModeQuery) &&
           !rs.IsEOF();
}
