#include "plan/PlanHooks.h"

#include "basedata/ListEntryWatch.h"
#include "plan/BudgetReport.h"
#include "plan/BudgetStore.h"
#include "plan/BudgetView.h"
#include "data/Cents.h"
#include "plan/PlanTexts.h"
#include "records/ExpenseWatch.h"
#include "stats/StatisticsDlg.h"

#include <cmath>

namespace {

const char* const kExpenseCategories = "支出类型";

std::int64_t Cents(const CAmountTotal& total) {
    return std::llround(total.Value() * 100.0);
}

// The line for a budget the write took over: only when it was not over before.
void AddLineIfCrossed(std::string& lines, std::int64_t nBudget, std::int64_t nBefore,
                      std::int64_t nAfter, const std::string& line) {
    if (nBudget <= 0 || nBefore > nBudget || nAfter <= nBudget)
        return;
    lines += (lines.empty() ? "" : "\n") + line;
}

CExpenseWatch::After WatchExpense(CADODatabase& db, const std::string& strItem,
                                  const COleDateTime& date) {
    const CBudgetStore::Budgets budgets = CBudgetStore(db).Load();
    const auto budgetOf = [&budgets](const std::string& strName) -> std::int64_t {
        const auto found = budgets.find(strName);
        return found == budgets.end() ? 0 : found->second;
    };
    const std::int64_t nItemBudget = budgetOf(strItem);
    const std::int64_t nAllBudget = budgetOf(CBudgetStore::kAllExpenses);
    if (nItemBudget == 0 && nAllBudget == 0)
        return nullptr;
    const std::int64_t nItemBefore = Cents(CBudgetReport::Spent(db, strItem, date));
    const std::int64_t nAllBefore =
        nAllBudget > 0 ? Cents(CBudgetReport::Spent(db, CBudgetStore::kAllExpenses, date)) : 0;
    return [&db, strItem, date, nItemBudget, nAllBudget, nItemBefore, nAllBefore] {
        const COleDateTime now = COleDateTime::GetCurrentTime();
        std::string lines;
        if (nItemBudget > 0) {
            const std::int64_t nAfter = Cents(CBudgetReport::Spent(db, strItem, date));
            AddLineIfCrossed(
                lines, nItemBudget, nItemBefore, nAfter,
                CPlanTexts::OverBudget(strItem, CCents::Text(nAfter - nItemBudget), date, now));
        }
        if (nAllBudget > 0) {
            const std::int64_t nAfter =
                Cents(CBudgetReport::Spent(db, CBudgetStore::kAllExpenses, date));
            AddLineIfCrossed(
                lines, nAllBudget, nAllBefore, nAfter,
                CPlanTexts::OverTotalBudget(CCents::Text(nAfter - nAllBudget), date, now));
        }
        return lines;
    };
}

std::string FollowCategory(CADODatabase& db, const std::string& strTable,
                           const std::string& strEntry, const std::optional<std::string>& renamed) {
    if (strTable != kExpenseCategories || strEntry.empty())
        return {};
    CBudgetStore store(db);
    if (renamed)
        return store.Rename(strEntry, *renamed) ? CPlanTexts::BudgetRenamed(strEntry, *renamed)
                                                : std::string();
    return store.Remove(strEntry) ? CPlanTexts::BudgetRemoved(strEntry) : std::string();
}

} // namespace

void CPlanHooks::Install() {
    CExpenseWatch::Set(&WatchExpense);
    CListEntryWatch::Set(&FollowCategory);
    CStatisticsDlg::SetBudgetView(
        [](QWidget* parent, CADODatabase& db) { return new CBudgetView(parent, db); });
}
