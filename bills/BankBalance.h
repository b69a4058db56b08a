#pragma once

#include "bills/BillRow.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CADODatabase;

/// The first line of a statement whose 余额 is not what the account's running balance says.
struct BalanceGap {
    std::size_t nLine = 0; ///< the line of the file, from 1
    COleDateTime dtWhen;
    std::int64_t nStatement = 0; ///< the balance the statement lists
    std::int64_t nRunning = 0;   ///< the balance the ledger and the lines above give
};

/// Walks the rows in the order their money moved (statements list the newest first or the
/// oldest first; the order the balances agree with wins, else the dates tell) from
/// `nStart`, the balance before the first of them, and names the first row whose listed
/// balance differs. False when every listed balance agrees, or none is listed.
bool FindBalanceGap(std::int64_t nStart, const std::vector<BillRow>& rows, BalanceGap& gap);

/// The same for a bank statement against its account in the ledger: the account's balance
/// before the day of the statement's first line is where the walk starts.
bool FindBalanceGap(CADODatabase& db, const BillFile& bill, BalanceGap& gap);

/// The gap in plain words: the line, its date, both amounts and the account's name.
std::string BalanceGapText(const BalanceGap& gap, const std::string& strAccount);
