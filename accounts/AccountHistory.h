#pragma once

#include "accounts/Account.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CADODatabase;

/// One line of an account's history: a record or a transfer, and the balance after it.
struct CHistoryItem {
    enum Kind { Income, Expense, TransferIn, TransferOut };
    Kind nKind = Income;
    std::string strTable; ///< normalIncome, normalPay or accountTransfer
    std::int64_t nId = 0;
    std::string strDate; ///< 'YYYY-MM-DD HH:MM:SS'
    std::string strWhat; ///< the category, or what the transfer was
    std::string strMember;
    std::string strNote;
    std::int64_t nAmount = 0;  ///< what it did to the balance, in cents
    std::int64_t nBalance = 0; ///< the balance after it
    std::string strReconciled; ///< the statement date it was checked against, or ""
};

/// An account's records and transfers in date order with a running balance, from its
/// opening balance on (what is dated before the opening date is in that balance).
class CAccountHistory {
public:
    explicit CAccountHistory(CADODatabase& db) : m_db(db) {}

    /// `names` gives the other side's name of a transfer.
    std::vector<CHistoryItem> Load(const CAccount& account,
                                   const std::map<std::int64_t, std::string>& names);

private:
    void AddRecords(const CAccount& account, bool bIncome, std::vector<CHistoryItem>& items);
    void AddTransfers(const CAccount& account, bool bIn,
                      const std::map<std::int64_t, std::string>& names,
                      std::vector<CHistoryItem>& items);

    CADODatabase& m_db;
};
