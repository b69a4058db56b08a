#include "stats/StatisticsPeriod.h"

namespace {

COleDateTime Midnight(const COleDateTime& date) {
    return COleDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), 0, 0, 0);
}

} // namespace

InquiryPreset CStatisticsPeriod::Scope(StatisticsPeriod period, const COleDateTime& now,
                                       const COleDateTime& from, const COleDateTime& to) {
    InquiryPreset scope;
    scope.bSpan = period != StatisticsPeriod::All;
    switch (period) {
    case StatisticsPeriod::ThisMonth:
        scope.dtLower = COleDateTime(now.GetYear(), now.GetMonth(), 1, 0, 0, 0);
        scope.dtUpper = now.GetMonth() == 12
                            ? COleDateTime(now.GetYear() + 1, 1, 1, 0, 0, 0)
                            : COleDateTime(now.GetYear(), now.GetMonth() + 1, 1, 0, 0, 0);
        break;
    case StatisticsPeriod::ThisYear:
        scope.dtLower = COleDateTime(now.GetYear(), 1, 1, 0, 0, 0);
        scope.dtUpper = COleDateTime(now.GetYear() + 1, 1, 1, 0, 0, 0);
        break;
    case StatisticsPeriod::All:
        break;
    case StatisticsPeriod::Interval:
        scope.dtLower = Midnight(from);
        scope.dtUpper = Midnight(to).AddDays(1);
        break;
    }
    return scope;
}
