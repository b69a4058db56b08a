#pragma once

#include "inquiry/AmountTotal.h"
#include "inquiry/InquiryQuery.h"
#include "platform/ole/OleDateTime.h"

#include <optional>
#include <string>
#include <vector>

class CADODatabase;
struct InquiryTwin;

/// How the statistics group the records of their period.
enum class StatisticsGrouping { ByMonth, ByCategory, ByMember, ByAccount };

/// One row of the statistics: a group's income and expense, and which records it counted,
/// so that an inquiry can list exactly those.
struct StatisticsRow {
    std::string strGroup;
    CAmountTotal income;
    CAmountTotal expense;
    long nIncome = 0; // records counted
    long nExpense = 0;
    bool bIncome = true; // the tables the row stands for: a category is of one only
    bool bExpense = true;
    /// The span and conditions of its records; none for records without a usable date.
    std::optional<InquiryPreset> preset;

    CAmountTotal Balance() const;
};

/// A records table as the statistics read it.
struct StatisticsSource {
    const InquiryTwin* twin; // table and column names
    const char* szAmountColumn;
};

extern const StatisticsSource kIncomeSource;
extern const StatisticsSource kPaySource;

/// Counts a period's records per group with one grouped statement per table (COUNT and SUM
/// over the date index, the group worked out by the engine), through the data-access
/// classes. Every record of the period is counted exactly once: the span is half-open, a
/// record without member or category falls into "（未填）", and one whose names are no
/// longer in the lists keeps its stored name.
class CStatisticsQuery {
public:
    /// The name of the group of records without a value.
    static constexpr const char* kUnfilled = "（未填）";

    explicit CStatisticsQuery(CADODatabase& db) : m_db(db) {}

    /// The groups of the view, in display order, without the 合计 row. `scope` holds the
    /// period's span (none for 全部) and the member condition, if any.
    std::vector<StatisticsRow> Run(StatisticsGrouping grouping, const InquiryPreset& scope);

    /// The 合计 row of `rows`, standing for every record of the scope.
    static StatisticsRow Total(const std::vector<StatisticsRow>& rows, const InquiryPreset& scope);

    /// The month boundaries of [lower, upper): lower, the first of each month after it
    /// before upper, and upper. Empty when the span is empty.
    static std::vector<COleDateTime> MonthBounds(const COleDateTime& dtLower,
                                                 const COleDateTime& dtUpper);
    /// The grouped statement for one table: group key, COUNT(*), the sum's whole cents
    /// and its rest. For months the key is the index of the month in `monthBounds`, −1
    /// for a record outside them (only without a span: the undated ones).
    static std::string BuildStatement(const StatisticsSource& source, StatisticsGrouping grouping,
                                      const InquiryPreset& scope,
                                      const std::vector<COleDateTime>& monthBounds);

private:
    struct Group {
        std::string strKey;
        long nCount = 0;
        CAmountTotal total;
    };
    std::vector<Group> ReadGroups(const StatisticsSource& source, StatisticsGrouping grouping,
                                  const InquiryPreset& scope,
                                  const std::vector<COleDateTime>& monthBounds);
    /// The months from the first to the last dated record of the scope, for 全部.
    std::vector<COleDateTime> LedgerMonths(const InquiryPreset& scope);

    std::vector<StatisticsRow> ByMonth(const InquiryPreset& scope);
    std::vector<StatisticsRow> ByCategory(const InquiryPreset& scope);
    /// By member or by account: one row per name over both tables.
    std::vector<StatisticsRow> ByName(StatisticsGrouping grouping, const InquiryPreset& scope);

    CADODatabase& m_db;
};
