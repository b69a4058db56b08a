#pragma once

#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace ui {

/// Turns an exception into the description a user is shown; returns false for exceptions
/// it does not know. The data layer's error types are described by a translator that the
/// application installs, since this layer does not know them.
using ErrorTranslator = std::function<bool(std::exception_ptr, std::string& description)>;

void AddErrorTranslator(ErrorTranslator translator);

/// Runs one handler (a button, a menu command, a notification, a dialog's initialisation).
/// An error that escapes it is shown once, in a message box with its description, and the
/// program goes on. Returns false when the handler ended with an error.
bool RunHandler(QWidget* owner, const std::function<void()>& handler);

} // namespace ui
