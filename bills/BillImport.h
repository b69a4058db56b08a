#pragma once

#include "bills/BillPlan.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CADODatabase;

/// What a bill import did.
struct BillSummary {
    std::size_t nIncome = 0;
    std::size_t nExpense = 0;
    std::size_t nTransfers = 0;
    std::size_t nSkipped = 0;
    /// Lines the ledger refused (an unknown category, a stopped account), with why.
    std::vector<std::pair<std::size_t, std::string>> refused;
    bool bCancelled = false; ///< everything was rolled back
    std::string strError;    ///< nothing was written
};

/// Told how far the writing is (0 to 1) now and then; returning false cancels it.
using BillProgress = std::function<bool(double)>;

/// Writes the stored lines of a planned bill in one transaction, each with its account and
/// its source and order number, and remembers the choices of `options` (sources' accounts,
/// counterparties' categories) for the next bill: all of it, or nothing when cancelled or
/// when the engine fails (its error is thrown on after the rollback). A ledger without the
/// bill tables is backed up (verified) and given them first. A line still without a
/// category gets the list's "其他…" entry.
BillSummary WriteBill(CADODatabase& db, BillKind kind, const std::vector<BillLine>& lines,
                      const BillOptions& options, const BillProgress& progress);

/// The summary in one message.
std::string BillSummaryText(const BillSummary& summary);

/// "12.30", "-5.00": cents as the ledger and the preview show them.
std::string BillCentsText(std::int64_t nCents);

/// The tools' way in: reads the bill at `strPath`, plans it for `options` (whose member,
/// when empty, is the ledger's only member) and writes it into the ledger of
/// `strConnection`. `bill` gets the bill and `lines` its plan, pointing at the bill's rows,
/// for listing what was left out and why. Rows like records typed by hand are not stored
/// (there is no one to tick them).
BillSummary ImportBillFile(const std::string& strConnection, const std::string& strPath,
                           BillOptions options, BillFile& bill, std::vector<BillLine>& lines);
