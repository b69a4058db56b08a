#pragma once

#include <cstdint>
#include <string>

/// One account as the ledger keeps it (accountList). Amounts in whole cents.
struct CAccount {
    std::int64_t nId = 0;
    std::string strName;
    std::string strKind;
    std::string strOwner;       ///< a family member, or ""
    std::int64_t nOpening = 0;  ///< the balance on the opening date
    std::string strOpeningDate; ///< 'YYYY-MM-DD'; items before it are in the opening balance
    int nOrder = 0;
    bool bStopped = false; ///< kept for history, offered nowhere
};
