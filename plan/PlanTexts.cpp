#include "plan/PlanTexts.h"

namespace {

std::string MonthName(const COleDateTime& month, const COleDateTime& now) {
    if (month.GetYear() == now.GetYear() && month.GetMonth() == now.GetMonth())
        return "本月";
    return std::to_string(month.GetYear()) + "年" + std::to_string(month.GetMonth()) + "月";
}

} // namespace

std::string CPlanTexts::AllExpenses() {
    return "（全部支出）";
}

std::string CPlanTexts::BadAmount() {
    return "请填入正确的预算金额！最多两位小数，不填或填0即取消预算。";
}

std::string CPlanTexts::OverBudget(const std::string& strCategory, const std::string& strOver,
                                   const COleDateTime& month, const COleDateTime& now) {
    return MonthName(month, now) + strCategory + "已超出预算 " + strOver + " 元";
}

std::string CPlanTexts::OverTotalBudget(const std::string& strOver, const COleDateTime& month,
                                        const COleDateTime& now) {
    return MonthName(month, now) + "支出已超出总预算 " + strOver + " 元";
}

std::string CPlanTexts::BudgetRenamed(const std::string& strOld, const std::string& strNew) {
    return "“" + strOld + "”的预算已随类别改名为“" + strNew + "”！";
}

std::string CPlanTexts::BudgetRemoved(const std::string& strCategory) {
    return "“" + strCategory + "”已删除，它的预算也一并取消！";
}

std::string CPlanTexts::Kind(bool bIncome) {
    return bIncome ? "收入" : "支出";
}

std::string CPlanTexts::Posting(bool bAutomatic) {
    return bAutomatic ? "自动" : "待确认";
}

std::string CPlanTexts::BadRecurringAmount() {
    return "请填入正确的金额！金额不能为0，最多两位小数。";
}

std::string CPlanTexts::ChooseMemberAndItem() {
    return "请先选择家庭成员和项目！";
}

std::string CPlanTexts::LastBeforeFirst() {
    return "末日不能早于首日！";
}

std::string CPlanTexts::ChooseTemplate() {
    return "请先在列表中选择一条周期记账！";
}

std::string CPlanTexts::MadeAutomatically(int nCount) {
    return "已自动入账 " + std::to_string(nCount) + " 笔周期记录！";
}
