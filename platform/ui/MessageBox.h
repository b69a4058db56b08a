#pragma once

#include <string>

class QWidget;

namespace ui {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

/// Where message boxes go. The default shows a Qt message box; tests install a recorder.
class MessageBoxHandler {
public:
    virtual ~MessageBoxHandler() = default;
    virtual int Show(QWidget* owner, const std::string& text, const std::string& caption) = 0;
    /// A question answered 是 or 否: IDYES or IDNO. A handler that asks nobody answers 否.
    virtual int Ask(QWidget* owner, const std::string& text, const std::string& caption);
};

/// Shows the text alone, the application's name as caption, an OK button and no icon;
/// returns IDOK. Every message of the program goes through here.
int MessageBox(QWidget* owner, const std::string& text);

/// Asks a question with 是 and 否 (否 the default), the application's name as caption;
/// returns IDYES or IDNO.
int AskYesNo(QWidget* owner, const std::string& text);

/// Installs a handler (null restores the default); returns the previous one.
MessageBoxHandler* SetMessageBoxHandler(MessageBoxHandler* handler);

} // namespace ui
