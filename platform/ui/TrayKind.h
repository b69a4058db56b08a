#pragma once

#include <optional>

class QDBusConnection;

namespace ui {

/// How the desktop shows notification-area icons, which decides what a user can do to one.
enum class TrayKind {
    None,           ///< no notification area at all
    XEmbed,         ///< the icon is a small window of its own: clicks, double-clicks, menus
    StatusNotifier, ///< the StatusNotifierItem D-Bus protocol (KDE Plasma, GNOME with the
                    ///< AppIndicator extension, Xfce, …): a click activates the icon, and no
                    ///< double-click ever arrives
};

/// The desktop's kind, decided the way Qt decides which protocol its icons use. Tests
/// override it.
TrayKind CurrentTrayKind();
/// Makes CurrentTrayKind answer this (tests); nullopt asks the desktop again.
void OverrideTrayKind(std::optional<TrayKind> kind);

/// The kind for a desktop whose notification area is (or is not) available and whose
/// session bus is `bus`: StatusNotifier when a StatusNotifierItem host is registered there.
TrayKind DetectTrayKind(bool trayAvailable, const QDBusConnection& bus);

} // namespace ui
