#pragma once

#include <set>
#include <string>
#include <vector>

namespace ui {

/// Kinds of control a dialog template can hold.
enum class ControlKind {
    PushButton,
    DefPushButton,
    Label,         // static text, left-aligned
    CenteredLabel, // static text, centred
    Icon,          // static icon; the text names the icon resource
    Edit,
    ComboBox,
    CheckBox,
    RadioButton,
    GroupBox,
    TreeView,
    ListView,
    DateTimePicker,
    ProgressBar,
};

/// One control of a template: position and size in dialog units, and style words such as
/// "disabled", "password", "number", "multiline", "wantreturn", "dropdown", "dropdownlist",
/// "group", "notify", "readonly".
struct ControlTemplate {
    ControlKind kind = ControlKind::Label;
    int id = -1;
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::set<std::string> styles;

    bool Has(const std::string& style) const { return styles.count(style) != 0; }
};

/// A dialog template as kept under res/dialogs: caption, client size in dialog units, the
/// requested font, and the controls in tab order.
struct DialogTemplate {
    int id = 0;
    std::string caption;
    int cx = 0, cy = 0;
    std::string fontName = "宋体";
    int fontPoints = 9;
    std::set<std::string> styles;
    std::vector<ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const;

    /// Parses the text form of a template; throws std::runtime_error naming the line on error.
    static DialogTemplate Parse(const std::string& text);
    /// The template with this resource id (":/res/dialogs/<id>.dlg"); throws when missing.
    static const DialogTemplate& Load(int id);
    /// Makes a template known under its id without a resource (tests build their own).
    static void Register(DialogTemplate dialogTemplate);
};

} // namespace ui
