#pragma once

#include "accounts/Account.h"

#include <string>
#include <vector>

class CADODatabase;

/// The ledger's accounts: reading, adding, changing, stopping and deleting them. Records
/// and transfers refer to an account by its id, so a rename carries everything along.
class CAccountStore {
public:
    explicit CAccountStore(CADODatabase& db) : m_db(db) {}

    /// 现金, 储蓄卡, 信用卡, 支付宝, 微信, 其他.
    static const std::vector<std::string>& Kinds();

    /// True when the ledger holds the account tables.
    bool Present();
    /// Makes sure it does: a ledger without them is backed up (verified) first. False with
    /// `strError` for the user when that backup failed.
    bool Ensure(std::string& strError);

    /// Every account, stopped ones too, in their order.
    std::vector<CAccount> Load();
    /// Adds (nId 0, which then gets the new id) or changes an account; "" when saved, else
    /// what is wrong, for the user. Needs the tables (Ensure).
    std::string Save(CAccount& account);
    /// Deletes an account nothing refers to; "" when deleted, else why not.
    std::string Remove(std::int64_t nId);
    /// True when a record, a transfer or a reconciliation refers to the account.
    bool InUse(std::int64_t nId);

private:
    std::string Check(const CAccount& account);

    CADODatabase& m_db;
};
