#pragma once

#include <cstdint>
#include <functional>

class QWidget;

namespace ui {

/// Answers one window message; the result goes back to the sender.
using MessageHandler = std::function<long(std::uintptr_t wParam, std::intptr_t lParam)>;

/// Lets a window answer a message by number (a registered message, for instance). A later
/// handler for the same message replaces the earlier one; both go with the window.
void OnWindowMessage(QWidget* window, unsigned message, MessageHandler handler);

/// Delivers a message to the window's handler at once, through the handler boundary.
/// Returns the handler's result, or 0 when the window (or its handler) is missing.
long SendWindowMessage(QWidget* window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam);

} // namespace ui
