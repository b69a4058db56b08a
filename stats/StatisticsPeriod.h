#pragma once

#include "inquiry/InquiryQuery.h"
#include "platform/ole/OleDateTime.h"

/// The periods the statistics offer, in the order of their radio buttons.
enum class StatisticsPeriod { ThisMonth, ThisYear, All, Interval };

/// Turns a period into the half-open span of whole days the statistics count.
class CStatisticsPeriod {
public:
    /// 本月 and 今年 run from midnight on their first day to midnight on the next one's;
    /// the interval from midnight on `from` to midnight after `to` (both days counted);
    /// 全部 has no span.
    static InquiryPreset Scope(StatisticsPeriod period, const COleDateTime& now,
                               const COleDateTime& from, const COleDateTime& to);
};
