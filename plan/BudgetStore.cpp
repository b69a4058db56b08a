#include "plan/BudgetStore.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/NumberText.h"
#include "data/SqlText.h"
#include "plan/PlanTables.h"

#include <cmath>

namespace {

const char* const kSelect = "select 支出项目, 预算 from planBudget";

std::string Where(const std::string& strCategory) {
    return " where 支出项目 = '" + QuoteSql(strCategory) + "'";
}

} // namespace

CBudgetStore::Budgets CBudgetStore::Load() {
    Budgets budgets;
    if (!CPlanTables::Present(m_db))
        return budgets;
    CADORecordset rs(&m_db);
    if (!rs.Open(kSelect, CADORecordset::ModeQuery))
        return budgets;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string strCategory;
        double dCents = 0;
        rs.GetFieldValue(0, strCategory);
        rs.GetFieldValue(1, dCents);
        if (dCents > 0)
            budgets[strCategory] = static_cast<std::int64_t>(std::llround(dCents));
    }
    rs.Close();
    return budgets;
}

bool CBudgetStore::Save(const Budgets& budgets, std::string& strError) {
    if (!CPlanTables::Ensure(m_db, strError))
        return false;
    InTransaction(m_db, [this, &budgets] {
        CADORecordset rs(&m_db);
        rs.Open("delete from planBudget", CADORecordset::ModeUnknown);
        for (const auto& [strCategory, nCents] : budgets) {
            if (nCents <= 0)
                continue;
            rs.Open("insert into planBudget (支出项目, 预算) values ('" + QuoteSql(strCategory) +
                        "', " + NumberText::Itoa(nCents) + ")",
                    CADORecordset::ModeUnknown);
        }
    });
    return true;
}

bool CBudgetStore::Rename(const std::string& strOld, const std::string& strNew) {
    if (strOld == strNew || !CPlanTables::Present(m_db) || Load().count(strOld) == 0)
        return false;
    // A budget the new name had already gives way to the one carried over.
    InTransaction(m_db, [this, &strOld, &strNew] {
        CADORecordset rs(&m_db);
        rs.Open("delete from planBudget" + Where(strNew), CADORecordset::ModeUnknown);
        rs.Open("update planBudget set 支出项目 = '" + QuoteSql(strNew) + "'" + Where(strOld),
                CADORecordset::ModeUnknown);
    });
    return true;
}

bool CBudgetStore::Remove(const std::string& strCategory) {
    if (!CPlanTables::Present(m_db) || Load().count(strCategory) == 0)
        return false;
    CADORecordset rs(&m_db);
    rs.Open("delete from planBudget" + Where(strCategory), CADORecordset::ModeUnknown);
    return true;
}
