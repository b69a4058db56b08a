#include "accounts/AccountStore.h"

#include "accounts/AccountTexts.h"
#include "backup/AdditionBackup.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "records/AccountLink.h"

#include <algorithm>
#include <cmath>

namespace {

std::int64_t ReadInteger(CADORecordset& rs, int nIndex) {
    double dValue = 0;
    rs.GetFieldValue(nIndex, dValue);
    return std::llround(dValue);
}

bool IsDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return false;
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

} // namespace

const std::vector<std::string>& CAccountStore::Kinds() {
    static const std::vector<std::string> kinds = {"现金",   "储蓄卡", "信用卡",
                                                   "支付宝", "微信",   "其他"};
    return kinds;
}

bool CAccountStore::Present() {
    return CAccountLink::Present(m_db);
}

bool CAccountStore::Ensure(std::string& strError) {
    if (Present())
        return true;
    if (!BackUpBeforeAddition(m_db, strError))
        return false;
    CLedgerAdditions::Add(m_db, CLedgerAdditions::kAccounts);
    CAccountLink::MakeIndexes(m_db);
    return true;
}

std::vector<CAccount> CAccountStore::Load() {
    std::vector<CAccount> accounts;
    if (!Present())
        return accounts;
    CADORecordset rs(&m_db);
    if (!rs.Open("SELECT ID, 名称, 种类, 所有人, 期初余额, 期初日期, 顺序, 停用 FROM accountList "
                 "ORDER BY 顺序, ID",
                 CADORecordset::ModeQuery))
        return accounts;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        CAccount account;
        account.nId = ReadInteger(rs, 0);
        rs.GetFieldValue(1, account.strName);
        rs.GetFieldValue(2, account.strKind);
        rs.GetFieldValue(3, account.strOwner);
        account.nOpening = ReadInteger(rs, 4);
        rs.GetFieldValue(5, account.strOpeningDate);
        account.nOrder = static_cast<int>(ReadInteger(rs, 6));
        account.bStopped = ReadInteger(rs, 7) != 0;
        accounts.push_back(std::move(account));
    }
    return accounts;
}

std::string CAccountStore::Check(const CAccount& account) {
    if (account.strName.empty())
        return AccountTexts::kNameMissing;
    const std::vector<std::string>& kinds = Kinds();
    if (std::find(kinds.begin(), kinds.end(), account.strKind) == kinds.end())
        return AccountTexts::kKindMissing;
    if (!IsDate(account.strOpeningDate))
        return AccountTexts::kDateInvalid;
    CADORecordset rs(&m_db);
    if (rs.Open("SELECT ID FROM accountList WHERE 名称 = '" + QuoteSql(account.strName) +
                    "' AND ID <> " + NumberText::Itoa(account.nId),
                CADORecordset::ModeQuery) &&
        !rs.IsEOF())
        return AccountTexts::kNameTaken;
    return {};
}

std::string CAccountStore::Save(CAccount& account) {
    if (std::string problem = Check(account); !problem.empty())
        return problem;
    const std::string values[] = {
        "'" + QuoteSql(account.strName) + "'",
        "'" + QuoteSql(account.strKind) + "'",
        account.strOwner.empty() ? "NULL" : "'" + QuoteSql(account.strOwner) + "'",
        NumberText::Itoa(account.nOpening),
        "'" + account.strOpeningDate + "'",
        NumberText::Itoa(account.nOrder),
        account.bStopped ? "1" : "0",
    };
    const char* const columns[] = {"名称",     "种类", "所有人", "期初余额",
                                   "期初日期", "顺序", "停用"};
    InTransaction(m_db, [&] {
        CADORecordset rs(&m_db);
        if (account.nId == 0) {
            std::string names;
            std::string list;
            for (size_t i = 0; i < std::size(columns); ++i) {
                names += (i ? ", " : "") + std::string(columns[i]);
                list += (i ? ", " : "") + values[i];
            }
            rs.Open("INSERT INTO accountList (" + names + ") VALUES (" + list + ")",
                    CADORecordset::ModeUnknown);
            if (rs.Open("SELECT MAX(ID) FROM accountList", CADORecordset::ModeQuery) && !rs.IsEOF())
                account.nId = ReadInteger(rs, 0);
            return;
        }
        std::string sets;
        for (size_t i = 0; i < std::size(columns); ++i)
            sets += (i ? ", " : "") + std::string(columns[i]) + " = " + values[i];
        rs.Open("UPDATE accountList SET " + sets + " WHERE ID = " + NumberText::Itoa(account.nId),
                CADORecordset::ModeUnknown);
    });
    return {};
}

bool CAccountStore::InUse(std::int64_t nId) {
    const std::string id = NumberText::Itoa(nId);
    CADORecordset rs(&m_db);
    for (const std::string& query :
         {"SELECT 1 FROM accountLink WHERE 账户 = " + id,
          "SELECT 1 FROM accountTransfer WHERE 转出账户 = " + id + " OR 转入账户 = " + id,
          "SELECT 1 FROM accountReconcile WHERE 账户 = " + id}) {
        if (rs.Open(query, CADORecordset::ModeQuery) && !rs.IsEOF())
            return true;
    }
    return false;
}

std::string CAccountStore::Remove(std::int64_t nId) {
    // Checked and deleted under one lock: another copy may be giving a record this account.
    bool bInUse = false;
    InTransaction(m_db, [&] {
        bInUse = InUse(nId);
        if (!bInUse)
            CADORecordset(&m_db).Open("DELETE FROM accountList WHERE ID = " + NumberText::Itoa(nId),
                                      CADORecordset::ModeUnknown);
    });
    return bInUse ? AccountTexts::kInUse : std::string();
}
