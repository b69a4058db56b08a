#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>

/// Every text the budgets and recurring records show a user, defined once.
class CPlanTexts {
public:
    /// The row of the budget for all expenses together.
    static std::string AllExpenses();
    static std::string BadAmount();
    /// "本月餐饮已超出预算 123.45 元"; another month than this one is named.
    static std::string OverBudget(const std::string& strCategory, const std::string& strOver,
                                  const COleDateTime& month, const COleDateTime& now);
    static std::string OverTotalBudget(const std::string& strOver, const COleDateTime& month,
                                       const COleDateTime& now);
    static std::string BudgetRenamed(const std::string& strOld, const std::string& strNew);
    static std::string BudgetRemoved(const std::string& strCategory);

    /// "收入" or "支出".
    static std::string Kind(bool bIncome);
    /// How a template's records are written: "自动" or "待确认".
    static std::string Posting(bool bAutomatic);
    static std::string BadRecurringAmount();
    static std::string ChooseMemberAndItem();
    static std::string LastBeforeFirst();
    static std::string ChooseTemplate();
    static std::string MadeAutomatically(int nCount);
};
