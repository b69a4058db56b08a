#pragma once

#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

/// A field of a bill or a statement without the blanks around it (ideographic spaces and
/// the tabs the services put after order numbers included); "/" read as empty.
std::string CleanBillField(std::string_view text);
/// The same as a view of `text`.
std::string_view TrimBillField(std::string_view text);

/// "2024-03-05 12:30:45", "2024/3/5 12:30", "20240305": the numbers in order; at least a
/// date. False for anything else.
bool ParseBillTime(std::string_view text, COleDateTime& when);

/// "¥28.16", "￥1,280.00", "-1,234.50元", "+20": signed cents, read the same whatever the
/// process's locale. False for anything else (an empty text included).
bool ParseBillCents(std::string_view text, std::int64_t& nCents);
