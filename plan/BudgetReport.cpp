#include "plan/BudgetReport.h"

#include "data/ADORecordset.h"
#include "plan/BudgetStore.h"
#include "stats/StatisticsPeriod.h"
#include "stats/StatisticsQuery.h"

#include <algorithm>
#include <cmath>

namespace {

InquiryPreset MonthScope(const COleDateTime& month) {
    return CStatisticsPeriod::Scope(StatisticsPeriod::ThisMonth, month, month, month);
}

std::vector<std::string> CategoryOrder(CADODatabase& db) {
    std::vector<std::string> names;
    CADORecordset rs(&db);
    if (!rs.Open("支出类型", CADORecordset::ModeTable))
        return names;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string strName;
        rs.GetFieldValue(1, strName);
        names.push_back(strName);
    }
    rs.Close();
    return names;
}

// A category group stands for one table; an income category of the same name is another row.
CAmountTotal ExpenseOf(const std::vector<StatisticsRow>& groups, const std::string& strCategory) {
    for (const StatisticsRow& group : groups)
        if (group.bExpense && !group.bIncome && group.strGroup == strCategory)
            return group.expense;
    return CAmountTotal();
}

std::int64_t Cents(const CAmountTotal& total) {
    return std::llround(total.Value() * 100.0);
}

} // namespace

CAmountTotal BudgetRow::Remaining() const {
    CAmountTotal remaining = CAmountTotal::FromParts(static_cast<double>(nBudget), 0.0);
    remaining -= spent;
    return remaining;
}

double BudgetRow::Share() const {
    return nBudget > 0 ? static_cast<double>(Cents(spent)) / static_cast<double>(nBudget) : 0.0;
}

bool BudgetRow::Over() const {
    return Cents(spent) > nBudget;
}

std::vector<BudgetRow> CBudgetReport::Month(CADODatabase& db, const COleDateTime& month) {
    CBudgetStore::Budgets budgets = CBudgetStore(db).Load();
    std::vector<BudgetRow> rows;
    if (budgets.empty())
        return rows;
    const InquiryPreset scope = MonthScope(month);
    std::vector<StatisticsRow> groups =
        CStatisticsQuery(db).Run(StatisticsGrouping::ByCategory, scope);

    std::vector<std::string> order = CategoryOrder(db);
    for (const auto& [strCategory, nCents] : budgets)
        if (strCategory != CBudgetStore::kAllExpenses &&
            std::find(order.begin(), order.end(), strCategory) == order.end())
            order.push_back(strCategory);
    BudgetRow total{kTotal, 0, {}};
    for (const std::string& strCategory : order) {
        const auto budget = budgets.find(strCategory);
        if (budget == budgets.end() || strCategory == CBudgetStore::kAllExpenses)
            continue;
        rows.push_back({strCategory, budget->second, ExpenseOf(groups, strCategory)});
        total.nBudget += budget->second;
        total.spent += rows.back().spent;
    }
    if (const auto all = budgets.find(CBudgetStore::kAllExpenses); all != budgets.end()) {
        total.nBudget = all->second;
        total.spent = CStatisticsQuery::Total(groups, scope).expense;
    }
    rows.push_back(total);
    return rows;
}

CAmountTotal CBudgetReport::Spent(CADODatabase& db, const std::string& strCategory,
                                  const COleDateTime& month) {
    const InquiryPreset scope = MonthScope(month);
    const std::vector<StatisticsRow> groups =
        CStatisticsQuery(db).Run(StatisticsGrouping::ByCategory, scope);
    if (strCategory == CBudgetStore::kAllExpenses)
        return CStatisticsQuery::Total(groups, scope).expense;
    return ExpenseOf(groups, strCategory);
}

std::int64_t CBudgetReport::Budget(CADODatabase& db, const std::string& strCategory) {
    const CBudgetStore::Budgets budgets = CBudgetStore(db).Load();
    const auto found = budgets.find(strCategory);
    return found == budgets.end() ? 0 : found->second;
}
