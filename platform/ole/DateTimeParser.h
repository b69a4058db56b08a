#pragma once

#include "platform/ole/OleDateTime.h"

#include <string_view>

namespace ole {

/// Reads the date-time texts this program writes: "YYYY-MM-DD", "YYYY/MM/DD", either
/// followed by " HH:MM:SS", " HH:MM", " HH" or " HH时"; or a time alone ("HH:MM",
/// "HH:MM:SS", date part 1899-12-30). One- or two-digit month, day and time parts; blanks
/// around the text are allowed. On success `out` becomes the valid value and the result is
/// true; on failure (other forms, impossible dates such as 2010-02-30) `out` is unchanged.
bool ParseDateTime(std::string_view text, COleDateTime& out);

} // namespace ole
