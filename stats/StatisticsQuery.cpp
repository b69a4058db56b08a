#include "stats/StatisticsQuery.h"

#include "records/AccountLink.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/FormatDateTime.h"
#include "inquiry/InquiryTwin.h"

#include <algorithm>
#include <cmath>
#include <map>

const StatisticsSource kIncomeSource = {&kIncomeInquiry, "收入金额"};
const StatisticsSource kPaySource = {&kPayInquiry, "支出金额"};

namespace {

std::string DateLiteral(const COleDateTime& date) {
    return "#" + FormatDateTime(date, "%Y-%m-%d") + "#";
}

COleDateTime FirstOfNextMonth(const COleDateTime& date) {
    return date.GetMonth() == 12 ? COleDateTime(date.GetYear() + 1, 1, 1, 0, 0, 0)
                                 : COleDateTime(date.GetYear(), date.GetMonth() + 1, 1, 0, 0, 0);
}

// The index of a record's month, found in a handful of comparisons whatever the number of
// months: a balanced tree of CASEs over the boundaries, the same comparisons as a listing
// of one month makes, so both see the same records.
std::string MonthIndex(const char* szDate, const std::vector<COleDateTime>& bounds, size_t nLow,
                       size_t nHigh) {
    if (nHigh - nLow == 1)
        return std::to_string(nLow);
    const size_t nMiddle = (nLow + nHigh) / 2;
    return std::string("case when ") + szDate + " < " + DateLiteral(bounds[nMiddle]) + " then " +
           MonthIndex(szDate, bounds, nLow, nMiddle) + " else " +
           MonthIndex(szDate, bounds, nMiddle, nHigh) + " end";
}

// Bounds for a grouping that puts every record in one group (0, or −1 for the undated):
// for counting by account on a ledger that has no accounts yet.
std::vector<COleDateTime> AllInOne() {
    return {COleDateTime(100, 1, 1, 0, 0, 0), COleDateTime(9999, 12, 31, 0, 0, 0)};
}

// Bigger first; the group of records without a value last.
void SortGroups(std::vector<StatisticsRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const StatisticsRow& a, const StatisticsRow& b) {
        const bool aUnfilled = a.strGroup == CStatisticsQuery::kUnfilled;
        const bool bUnfilled = b.strGroup == CStatisticsQuery::kUnfilled;
        if (aUnfilled != bUnfilled)
            return bUnfilled;
        const double aValue = a.expense.Value() + a.income.Value();
        const double bValue = b.expense.Value() + b.income.Value();
        return aValue > bValue;
    });
}

std::string GroupName(const std::string& strKey) {
    return strKey.empty() ? CStatisticsQuery::kUnfilled : strKey;
}

} // namespace

CAmountTotal StatisticsRow::Balance() const {
    CAmountTotal balance = income;
    balance -= expense;
    return balance;
}

std::vector<COleDateTime> CStatisticsQuery::MonthBounds(const COleDateTime& dtLower,
                                                        const COleDateTime& dtUpper) {
    std::vector<COleDateTime> bounds;
    if (!(dtLower.GetOleDate() < dtUpper.GetOleDate()))
        return bounds;
    bounds.push_back(dtLower);
    for (COleDateTime next = FirstOfNextMonth(dtLower); next.GetOleDate() < dtUpper.GetOleDate();
         next = FirstOfNextMonth(next))
        bounds.push_back(next);
    bounds.push_back(dtUpper);
    return bounds;
}

std::string CStatisticsQuery::BuildStatement(const StatisticsSource& source,
                                             StatisticsGrouping grouping,
                                             const InquiryPreset& scope,
                                             const std::vector<COleDateTime>& monthBounds) {
    const InquiryTwin& twin = *source.twin;
    std::string key;
    switch (grouping) {
    case StatisticsGrouping::ByMonth:
        key = MonthIndex(twin.szDateColumn, monthBounds, 0, monthBounds.size() - 1);
        if (!scope.bSpan)
            key = std::string("case when ") + twin.szDateColumn +
                  " >= " + DateLiteral(monthBounds.front()) + " and " + twin.szDateColumn + " < " +
                  DateLiteral(monthBounds.back()) + " then " + key + " else -1 end";
        break;
    case StatisticsGrouping::ByCategory:
        key = std::string("coalesce(") + twin.szItemColumn + ", '')";
        break;
    case StatisticsGrouping::ByMember:
        key = std::string("coalesce(") + twin.szMemberColumn + ", '')";
        break;
    case StatisticsGrouping::ByAccount:
        // A record's account lives beside it; 0 for a record without one.
        key = std::string("coalesce((select 账户 from accountLink where accountLink.表 = '") +
              twin.szTable + "' and accountLink.编号 = " + twin.szTable + ".编号), 0)";
        break;
    }
    const std::string cents = std::string("round(") + source.szAmountColumn + " * 100)";
    return "select " + key + " as grp, count(*), sum(" + cents + "), sum(" + source.szAmountColumn +
           " * 100 - " + cents + ") from " + twin.szTable +
           CInquiryQuery::BuildPresetConditions(twin, scope) + " group by grp";
}

std::vector<CStatisticsQuery::Group>
CStatisticsQuery::ReadGroups(const StatisticsSource& source, StatisticsGrouping grouping,
                             const InquiryPreset& scope,
                             const std::vector<COleDateTime>& monthBounds) {
    std::vector<Group> groups;
    CADORecordset recordset(&m_db);
    if (!recordset.Open(BuildStatement(source, grouping, scope, monthBounds),
                        CADORecordset::ModeQuery))
        return groups;
    while (!recordset.IsEOF()) {
        Group group;
        double dCount = 0, dCents = 0, dRest = 0;
        if (grouping == StatisticsGrouping::ByMonth) {
            double dIndex = 0;
            recordset.GetFieldValue(0, dIndex);
            group.strKey = std::to_string(std::lround(dIndex));
        } else {
            recordset.GetFieldValue(0, group.strKey);
        }
        recordset.GetFieldValue(1, dCount);
        recordset.GetFieldValue(2, dCents);
        recordset.GetFieldValue(3, dRest);
        group.nCount = std::lround(dCount);
        group.total = CAmountTotal::FromParts(dCents, dRest);
        groups.push_back(std::move(group));
        recordset.MoveNext();
    }
    recordset.Close();
    return groups;
}

std::vector<COleDateTime> CStatisticsQuery::LedgerMonths(const InquiryPreset& scope) {
    bool bAny = false;
    COleDateTime first, last;
    for (const StatisticsSource* source : {&kIncomeSource, &kPaySource}) {
        const InquiryTwin& twin = *source->twin;
        const std::string conditions = CInquiryQuery::BuildPresetConditions(twin, scope);
        for (const char* szEnd : {"min", "max"}) {
            // A record at that end rather than the bare MIN or MAX: the column's own value
            // reads as a date, an expression's only as text.
            CADORecordset recordset(&m_db);
            if (!recordset.Open(std::string("select * from ") + twin.szTable + " where " +
                                    twin.szDateColumn + " = (select " + szEnd + "(" +
                                    twin.szDateColumn + ") from " + twin.szTable + conditions + ")",
                                CADORecordset::ModeQuery))
                continue;
            COleDateTime date;
            if (!recordset.IsEOF() && recordset.GetFieldValue(3, date) &&
                date.GetStatus() == COleDateTime::valid) {
                if (!bAny || date.GetOleDate() < first.GetOleDate())
                    first = date;
                if (!bAny || date.GetOleDate() > last.GetOleDate())
                    last = date;
                bAny = true;
            }
            recordset.Close();
        }
    }
    if (!bAny)
        return {};
    return MonthBounds(COleDateTime(first.GetYear(), first.GetMonth(), 1, 0, 0, 0),
                       FirstOfNextMonth(last));
}

std::vector<StatisticsRow> CStatisticsQuery::Run(StatisticsGrouping grouping,
                                                 const InquiryPreset& scope) {
    if (!m_db.IsOpen())
        return {};
    switch (grouping) {
    case StatisticsGrouping::ByMonth:
        return ByMonth(scope);
    case StatisticsGrouping::ByCategory:
        return ByCategory(scope);
    case StatisticsGrouping::ByMember:
    case StatisticsGrouping::ByAccount:
        return ByName(grouping, scope);
    }
    return {};
}

std::vector<StatisticsRow> CStatisticsQuery::ByMonth(const InquiryPreset& scope) {
    const std::vector<COleDateTime> bounds =
        scope.bSpan ? MonthBounds(scope.dtLower, scope.dtUpper) : LedgerMonths(scope);
    std::vector<StatisticsRow> rows;
    for (size_t n = 0; n + 1 < bounds.size(); ++n) {
        StatisticsRow row;
        row.strGroup = FormatDateTime(bounds[n], "%Y-%m");
        row.preset = scope;
        row.preset->bSpan = true;
        row.preset->dtLower = bounds[n];
        row.preset->dtUpper = bounds[n + 1];
        rows.push_back(std::move(row));
    }
    StatisticsRow undated;
    undated.strGroup = kUnfilled;
    // Without a span, undated records are counted too (全部 is every stored amount), but no
    // listing by date can show them.
    const std::vector<COleDateTime> keyBounds =
        bounds.empty() ? std::vector<COleDateTime>{COleDateTime(2000, 1, 1, 0, 0, 0),
                                                   COleDateTime(2000, 2, 1, 0, 0, 0)}
                       : bounds;
    if (bounds.empty() && scope.bSpan)
        return rows;
    for (const StatisticsSource* source : {&kIncomeSource, &kPaySource}) {
        const bool bIncome = source == &kIncomeSource;
        for (const Group& group :
             ReadGroups(*source, StatisticsGrouping::ByMonth, scope, keyBounds)) {
            const long nIndex = std::stol(group.strKey);
            StatisticsRow* row = nullptr;
            if (nIndex >= 0 && !bounds.empty() && static_cast<size_t>(nIndex) < rows.size())
                row = &rows[static_cast<size_t>(nIndex)];
            else
                row = &undated;
            (bIncome ? row->income : row->expense) += group.total;
            (bIncome ? row->nIncome : row->nExpense) += group.nCount;
        }
    }
    if (undated.nIncome + undated.nExpense > 0)
        rows.push_back(std::move(undated));
    return rows;
}

std::vector<StatisticsRow> CStatisticsQuery::ByCategory(const InquiryPreset& scope) {
    std::vector<StatisticsRow> all;
    for (const StatisticsSource* source : {&kIncomeSource, &kPaySource}) {
        const bool bIncome = source == &kIncomeSource;
        std::vector<StatisticsRow> rows;
        for (const Group& group : ReadGroups(*source, StatisticsGrouping::ByCategory, scope, {})) {
            StatisticsRow row;
            row.strGroup = GroupName(group.strKey);
            row.bIncome = bIncome;
            row.bExpense = !bIncome;
            (bIncome ? row.income : row.expense) = group.total;
            (bIncome ? row.nIncome : row.nExpense) = group.nCount;
            row.preset = scope;
            row.preset->item = group.strKey;
            rows.push_back(std::move(row));
        }
        SortGroups(rows);
        all.insert(all.end(), rows.begin(), rows.end());
    }
    return all;
}

std::vector<StatisticsRow> CStatisticsQuery::ByName(StatisticsGrouping grouping,
                                                    const InquiryPreset& scope) {
    const bool bAccount = grouping == StatisticsGrouping::ByAccount;
    // A ledger without accounts has every record in "（不指定）".
    const bool bLinks = !bAccount || CAccountLink::Present(m_db);
    std::map<std::int64_t, std::string> accounts;
    for (const CAccountLink::Choice& choice :
         bAccount ? CAccountLink::Choices(m_db, true) : std::vector<CAccountLink::Choice>{})
        accounts[choice.nId] = choice.strName;
    std::vector<StatisticsRow> rows;
    std::map<std::string, size_t> rowOfKey;
    for (const StatisticsSource* source : {&kIncomeSource, &kPaySource}) {
        const bool bIncome = source == &kIncomeSource;
        for (const Group& group :
             ReadGroups(*source, bLinks ? grouping : StatisticsGrouping::ByMonth, scope,
                        bLinks ? std::vector<COleDateTime>{} : AllInOne())) {
            auto [found, bNew] = rowOfKey.emplace(bLinks ? group.strKey : "0", rows.size());
            if (bNew) {
                StatisticsRow row;
                row.preset = scope;
                if (bAccount) {
                    const std::int64_t nAccount = bLinks ? std::stoll(group.strKey) : 0;
                    const auto name = accounts.find(nAccount);
                    row.strGroup = name != accounts.end() ? name->second : CAccountLink::kNoAccount;
                    row.preset->account = nAccount;
                } else {
                    row.strGroup = GroupName(group.strKey);
                    row.preset->member = group.strKey;
                }
                rows.push_back(std::move(row));
            }
            StatisticsRow& row = rows[found->second];
            (bIncome ? row.income : row.expense) += group.total;
            (bIncome ? row.nIncome : row.nExpense) += group.nCount;
        }
    }
    SortGroups(rows);
    return rows;
}

StatisticsRow CStatisticsQuery::Total(const std::vector<StatisticsRow>& rows,
                                      const InquiryPreset& scope) {
    StatisticsRow total;
    total.strGroup = "合计";
    total.preset = scope;
    for (const StatisticsRow& row : rows) {
        total.income += row.income;
        total.expense += row.expense;
        total.nIncome += row.nIncome;
        total.nExpense += row.nExpense;
    }
    return total;
}
