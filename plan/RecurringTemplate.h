#pragma once

#include "plan/PlanDate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// How often a template comes round.
enum class RecurrenceKind {
    Monthly = 0, ///< on day nDay of every month; a day the month lacks means its last day
    Weekly = 1,  ///< on weekday nDay (1 Monday … 7 Sunday)
    Yearly = 2,  ///< on the month and day of the first date (29 February: the 28th otherwise)
};

/// A record that comes by itself: what it writes, when, and whether it waits for a yes.
struct RecurringTemplate {
    long nId = 0; // 0 until stored
    bool bIncome = false;
    std::string strMember;
    std::string strItem;
    std::int64_t nCents = 0;
    std::string strNote;
    RecurrenceKind kind = RecurrenceKind::Monthly;
    int nDay = 1;
    CPlanDate first;
    std::optional<CPlanDate> last;
    bool bAutomatic = true;

    /// Every day it comes on from its first date up to `upTo`, both included, and never
    /// after its last date; in order.
    std::vector<CPlanDate> Occurrences(const CPlanDate& upTo) const;
    /// The rule in words: "每月15日", "每月月末", "每周一", "每年3月1日".
    std::string RuleText() const;
};
