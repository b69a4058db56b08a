#pragma once

#include "platform/ole/OleDateTime.h"

#include <functional>

/// The clock seam: everything that asks for "now" (COleDateTime::GetCurrentTime, the date
/// pickers' default) goes through here, so tests can fix the time.
namespace ole {

/// Replaces the clock; an empty function restores the default.
void SetClock(std::function<COleDateTime()> clock);
/// Restores the default clock, the local time of the system to the second.
void ResetClock();
/// The current time as the clock reports it.
COleDateTime Now();

} // namespace ole
