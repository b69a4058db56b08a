#pragma once

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace ui {
struct MenuPopup;
}

/// The skin engine: named skin elements over a Qt style sheet compiled into the program.
/// Results are 1 for done, 0 for not done; callers are free to ignore them.

/// Kinds of window given to dsSkinWindow.
enum SkinKind { SkinDialog = 100, SkinPushButton = 103, SkinRadioButton = 105,
                SkinStatic = 106, SkinTree = 121 };

/// Loads the named skin (":/res/skin/<name>.qss") for the whole application.
int dsLoadSkin(const char* name, int reserved);
/// Drops the loaded skin.
int dsExitSkin();
/// Gives a window a skin element; the style sheet selects on it. A null window is a no-op.
int dsSkinWindow(QWidget* window, int kind, const char* element, int flag);
/// Gives a tree item an image (key "icoitem"), one of the skin's tree images.
int dsSetDrawItemValueEx(QTreeWidget* tree, QTreeWidgetItem* item, int column, const char* key,
                         const char* image, int reserved);
/// Shows a popup at a screen point; the chosen entry reaches the owner as an ordinary
/// command (the owner being one of our dialogs). Returns the chosen id, or 0.
int dsTrackPopupMenu(const ui::MenuPopup* menu, int flags, int x, int y, QWidget* owner,
                     int reserved);
