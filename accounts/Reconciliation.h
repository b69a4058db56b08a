#pragma once

#include "accounts/Account.h"
#include "accounts/AccountHistory.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CADODatabase;

/// Checking an account against a bank's statement: the items not yet reconciled up to the
/// statement's date, ticked one by one until what the ledger says matches the statement.
class CReconciliation {
public:
    CReconciliation(CADODatabase& db, const CAccount& account,
                    const std::map<std::int64_t, std::string>& names);

    /// Lists the unreconciled items dated on or before `strDate` ('YYYY-MM-DD'), none
    /// ticked, for a statement ending with `nStatement` cents.
    void Start(const std::string& strDate, std::int64_t nStatement);
    const std::vector<CHistoryItem>& Items() const { return m_items; }
    void Tick(size_t nItem, bool bTicked);
    bool Ticked(size_t nItem) const { return m_ticked.at(nItem); }

    /// The balance of everything reconciled so far (the opening balance at first).
    std::int64_t ReconciledBalance() const { return m_nReconciled; }
    /// The statement less the reconciled balance and the ticked items.
    std::int64_t Difference() const;
    /// With no difference: marks the ticked items reconciled and notes the statement's
    /// date and balance, in one transaction. False (nothing written) with a difference.
    bool Finish();
    /// Books the difference as a visible adjustment (对账调整), ticked, then finishes.
    void Adjust();

    /// The last reconciliation of an account: its statement date ("" for none) and balance.
    static std::pair<std::string, std::int64_t> Last(CADODatabase& db, std::int64_t nAccount);

private:
    CADODatabase& m_db;
    CAccount m_account;
    std::map<std::int64_t, std::string> m_names;
    std::string m_strDate;
    std::int64_t m_nStatement = 0;
    std::int64_t m_nReconciled = 0;
    std::vector<CHistoryItem> m_items;
    std::vector<bool> m_ticked;
};
