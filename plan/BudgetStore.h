#pragma once

#include <cstdint>
#include <map>
#include <string>

class CADODatabase;

/// The monthly budgets of the ledger: whole cents per expense category, and one for all
/// expenses together under the empty name. A category without a row has no budget.
class CBudgetStore {
public:
    /// The name the budget of all expenses together is kept under (no category has it:
    /// the lists store an empty name as NULL).
    static constexpr const char* kAllExpenses = "";

    using Budgets = std::map<std::string, std::int64_t>;

    explicit CBudgetStore(CADODatabase& db) : m_db(db) {}

    /// The budgets; none on a ledger without the plan tables.
    Budgets Load();
    /// Replaces every budget in one transaction; amounts of 0 or less are no budget. False
    /// with `strError` for the user when the tables could not be added.
    bool Save(const Budgets& budgets, std::string& strError);
    /// Carries a budget over to a category's new name; false when it had none.
    bool Rename(const std::string& strOld, const std::string& strNew);
    /// Removes a category's budget; false when it had none.
    bool Remove(const std::string& strCategory);

private:
    CADODatabase& m_db;
};
