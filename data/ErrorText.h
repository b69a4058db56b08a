#pragma once

#include "platform/ado/ComError.h"

#include <string>

/// The meaning of an engine error code as the system words it: its message text when it
/// has one, "IDispatch error #n" for 0x80040201..0x8004FFFF (n = code - 0x80040200),
/// otherwise "Unknown error 0x…" in upper-case hexadecimal.
std::string ErrorCodeMeaning(long code);

/// "<title> Error\n\tCode = …\n\tCode meaning = …\n\tSource = …\n\tDescription = …\n", with
/// "(null)" for a source or description the engine did not supply.
std::string FormatEngineError(const char* title, const ado::ComError& error);
