#include "plan/RecurringTemplate.h"

#include <algorithm>

namespace {

const char* const kWeekdays[] = {"一", "二", "三", "四", "五", "六", "日"};

CPlanDate DayInMonth(int nYear, int nMonth, int nDay) {
    return CPlanDate(nYear, nMonth, std::min(nDay, CPlanDate::DaysInMonth(nYear, nMonth)));
}

} // namespace

std::vector<CPlanDate> RecurringTemplate::Occurrences(const CPlanDate& upTo) const {
    std::vector<CPlanDate> days;
    const CPlanDate end = last && *last < upTo ? *last : upTo;
    if (end < first)
        return days;
    switch (kind) {
    case RecurrenceKind::Monthly: {
        const int nWanted = std::clamp(nDay, 1, 31);
        for (int y = first.Year(), m = first.Month();; m == 12 ? (++y, m = 1) : ++m) {
            const CPlanDate day = DayInMonth(y, m, nWanted);
            if (end < day)
                break;
            if (first <= day)
                days.push_back(day);
        }
        break;
    }
    case RecurrenceKind::Weekly: {
        const int nWanted = std::clamp(nDay, 1, 7);
        long n = first.Serial() + (nWanted - first.Weekday() + 7) % 7;
        for (; n <= end.Serial(); n += 7)
            days.push_back(CPlanDate::FromSerial(n));
        break;
    }
    case RecurrenceKind::Yearly:
        for (int y = first.Year(); y <= end.Year(); ++y) {
            const CPlanDate day = DayInMonth(y, first.Month(), first.Day());
            if (first <= day && day <= end)
                days.push_back(day);
        }
        break;
    }
    return days;
}

std::string RecurringTemplate::RuleText() const {
    switch (kind) {
    case RecurrenceKind::Monthly:
        return nDay >= 31 ? "每月月末" : "每月" + std::to_string(nDay) + "日";
    case RecurrenceKind::Weekly:
        return std::string("每周") + kWeekdays[std::clamp(nDay, 1, 7) - 1];
    case RecurrenceKind::Yearly:
        return "每年" + std::to_string(first.Month()) + "月" + std::to_string(first.Day()) + "日";
    }
    return {};
}
