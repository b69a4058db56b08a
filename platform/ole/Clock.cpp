#include "platform/ole/Clock.h"

#include <ctime>

namespace ole {
namespace {

COleDateTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return COleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
}

std::function<COleDateTime()>& CurrentClock() {
    static std::function<COleDateTime()> clock;
    return clock;
}

} // namespace

void SetClock(std::function<COleDateTime()> clock) {
    CurrentClock() = std::move(clock);
}

void ResetClock() {
    CurrentClock() = nullptr;
}

COleDateTime Now() {
    const auto& clock = CurrentClock();
    return clock ? clock() : LocalNow();
}

} // namespace ole
