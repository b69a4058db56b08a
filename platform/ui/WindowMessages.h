#pragma once

#include <string>

namespace ui {

/// A process-wide message number for a name: the same name always gives the same number,
/// different names different ones, all in the range of registered messages (0xC000 up).
unsigned RegisterWindowMessage(const std::string& name);

} // namespace ui
