#pragma once

#include "accounts/Account.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CADODatabase;

/// Balances of accounts, in whole cents: the opening balance, plus income, less expense,
/// plus transfers in, less transfers out, counting only what is dated on or after the
/// account's opening date. Each amount is rounded to the cent by the engine before it is
/// summed, so the sums are exact integers on every engine.
class CAccountBalances {
public:
    explicit CAccountBalances(CADODatabase& db) : m_db(db) {}

    /// The balance of every account now (everything the ledger holds counted).
    std::map<std::int64_t, std::int64_t> Now(const std::vector<CAccount>& accounts);

    /// The balance of every account at the end of each month, months given by the first
    /// day of the month after each ('YYYY-MM-DD', ascending). An account opened after a
    /// month's end has no balance yet (0) in that month.
    struct MonthEnd {
        std::string strNextMonth; ///< the bound: first day of next month
        std::map<std::int64_t, std::int64_t> balances;
        std::int64_t nNet = 0;
    };
    std::vector<MonthEnd> MonthEnds(const std::vector<CAccount>& accounts,
                                    const std::vector<std::string>& nextMonths);

    /// The bounds for the months from `strFirst` to `strLast` ('YYYY-MM-DD', both inside
    /// their months): the first day of the month after each.
    static std::vector<std::string> MonthBounds(const std::string& strFirst,
                                                const std::string& strLast);

    /// 资产 (what the accounts hold), 负债 (what they owe, negative) and 净资产.
    struct Totals {
        std::int64_t nAssets = 0;
        std::int64_t nDebts = 0;
        std::int64_t nNet = 0;
    };
    static Totals Sum(const std::map<std::int64_t, std::int64_t>& balances);

private:
    /// Per account, the sum of what moved it in each date bucket: bucket i holds what is
    /// dated before bounds[i] (and on or after bounds[i-1]); the last, what comes after.
    using Buckets = std::map<std::int64_t, std::vector<std::int64_t>>;
    Buckets Movements(const std::vector<CAccount>& accounts,
                      const std::vector<std::string>& bounds);
    void AddRows(const std::string& sql, std::int64_t nSign, size_t nBuckets, Buckets& buckets);

    CADODatabase& m_db;
};
