#pragma once

#include <QtGlobal>

#include <string_view>

namespace ui {

/// Whether a message of Qt's own is one of those known to be harmless on an ordinary start
/// (no runtime folder in a bare session, no notification area on the platform), which a
/// user would only take for a fault. Errors are never harmless.
bool IsHarmlessQtMessage(QtMsgType type, std::string_view category, std::string_view text);

/// Keeps the harmless messages off standard error; every other message goes on to the
/// handler that was in place.
void SilenceHarmlessQtMessages();

} // namespace ui
