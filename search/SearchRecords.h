#pragma once

#include "search/SearchQuery.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CADODatabase;

/// One record a search found.
struct SearchRow {
    int nKind = 0; // 0 income, 1 expense
    std::int64_t nId = 0;
    std::string strMember;
    double dAmount = 0.0;
    bool bDate = false;        // the date read as a date
    COleDateTime dtRecord;     // when bDate
    std::string strStoredDate; // when not: the text stored
    std::string strItem;
    std::string strNote;
};

/// The 收支 column: its heading, and "收入" or "支出" for a kind.
inline constexpr const char* kSearchKindHeading = "收支";
const char* SearchKindText(int nKind);

/// Runs searches on an open ledger.
class CSearchRecords {
public:
    /// Asked now and then during a search; true ends it early with no rows.
    using Cancelled = std::function<bool()>;

    /// The records the text finds, newest first, within `span` when given; `bIndex` says
    /// the ledger's index is ready to be used (CSearchIndex). Nothing is found by an empty
    /// text without a span. Engine errors are thrown.
    static std::vector<SearchRow> Find(CADODatabase& db, const std::string& strText,
                                       const std::optional<SearchSpan>& span, bool bIndex,
                                       const Cancelled& cancelled = {});
};
