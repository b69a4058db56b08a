#pragma once

#include "inquiry/AmountTotal.h"
#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <string>
#include <vector>

class CADODatabase;

/// One line of a month's budget execution: the budget, what was spent against it, and
/// what is left (negative when over).
struct BudgetRow {
    std::string strCategory;
    std::int64_t nBudget = 0; // cents
    CAmountTotal spent;

    CAmountTotal Remaining() const;
    /// Spent ÷ budget; 0 without a budget.
    double Share() const;
    bool Over() const;
};

/// Budget against spending for one month (the half-open span of its days).
class CBudgetReport {
public:
    /// The caption of the last row.
    static constexpr const char* kTotal = "合计";

    /// The budgeted categories in the order of the category list (budgets of names no
    /// longer in it after them), then 合计: the budget of all expenses against all of the
    /// month's spending when there is one, else the sum of the rows above. Empty when the
    /// ledger has no budget.
    static std::vector<BudgetRow> Month(CADODatabase& db, const COleDateTime& month);

    /// What the month has spent in one category ("" for all expenses).
    static CAmountTotal Spent(CADODatabase& db, const std::string& strCategory,
                              const COleDateTime& month);
    /// The budget in cents, 0 when there is none.
    static std::int64_t Budget(CADODatabase& db, const std::string& strCategory);
};
