#pragma once

#include "accounts/Transfer.h"

#include <optional>
#include <string>

class CADODatabase;

/// Transfers between accounts: adding, reading, changing and deleting them.
class CTransferStore {
public:
    explicit CTransferStore(CADODatabase& db) : m_db(db) {}

    /// Adds (nId 0, which then gets the new id) or changes a transfer; "" when saved, else
    /// what is wrong, for the user. Both sides must be accounts (but for an adjustment),
    /// and differ; the amount must be more than 0.
    std::string Save(CTransfer& transfer, bool bAdjustment = false);
    /// The same for a new transfer inside the caller's transaction (a bill's rows are
    /// written all together or not at all).
    std::string AddWithin(CTransfer& transfer);
    std::optional<CTransfer> Load(std::int64_t nId);
    void Remove(std::int64_t nId);
    /// True when either side of the transfer has been reconciled.
    bool Reconciled(std::int64_t nId);

private:
    std::string Check(const CTransfer& transfer, bool bAdjustment) const;
    void Write(CTransfer& transfer);

    CADODatabase& m_db;
};
