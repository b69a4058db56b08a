#pragma once

#include <QPoint>

class QWidget;

namespace ui {

struct MenuPopup;

/// Where popup menus are shown. The default opens a Qt menu at the point; tests install a
/// chooser. Returns the chosen command id, or 0 when the menu was dismissed.
class PopupMenuHandler {
public:
    virtual ~PopupMenuHandler() = default;
    virtual int Track(const MenuPopup& popup, QPoint screenPos, QWidget* owner) = 0;
};

/// Shows the popup and returns the chosen command id, or 0.
int TrackPopup(const MenuPopup& popup, QPoint screenPos, QWidget* owner);

/// Installs a handler (null restores the default); returns the previous one.
PopupMenuHandler* SetPopupMenuHandler(PopupMenuHandler* handler);

} // namespace ui
