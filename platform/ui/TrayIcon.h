#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QMenu;

namespace ui {

struct MenuPopup;

/// Operations of ShellNotifyIcon.
enum : unsigned { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };
/// Which fields of the record an operation uses.
enum : unsigned { NIF_MESSAGE = 0x1, NIF_ICON = 0x2, NIF_TIP = 0x4 };
/// Mouse messages a tray icon reports to its window.
constexpr unsigned WM_LBUTTONUP = 0x202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x203;
constexpr unsigned WM_RBUTTONUP = 0x205;
constexpr unsigned WM_MBUTTONUP = 0x208;

/// A notification-area icon as its window describes it: the window that hears from it,
/// its id, the icon and the tip.
struct TrayIconRecord {
    QWidget* window = nullptr;
    unsigned id = 0;
    QIcon icon;
    std::string tip;
};

/// One icon in the desktop's notification area, known by its window and id. What the user
/// does with it reaches the window as its callback message, with the id as wParam and the
/// mouse message as lParam.
class TrayIcon : public QObject {
public:
    TrayIcon(QWidget* window, unsigned id, unsigned callbackMessage);

    const QWidget* Window() const { return m_window; }
    unsigned Id() const { return m_nId; }
    unsigned CallbackMessage() const { return m_nCallbackMessage; }
    void SetCallbackMessage(unsigned message) { m_nCallbackMessage = message; }
    void SetIcon(const QIcon& icon);
    void SetTip(const std::string& tip);
    std::string Tip() const { return m_strTip; }

    /// Gives the desktop `popup` as the icon's own menu, for the hosts that show an item's
    /// menu themselves and never ask the program (StatusNotifierItem hosts read it over
    /// DBusMenu); a choice runs the window's command. The right button still reaches the
    /// window as WM_RBUTTONUP wherever the host asks the program for its menu.
    void SetMenu(const MenuPopup& popup);
    /// The menu handed to the desktop, or null.
    QMenu* Menu() const { return m_menu.get(); }

    /// The Qt icon itself (tests emit its activated signal as the desktop would).
    QSystemTrayIcon& Native() { return m_native; }

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    QPointer<QWidget> m_window;
    unsigned m_nId;
    unsigned m_nCallbackMessage;
    std::string m_strTip;
    std::unique_ptr<QMenu> m_menu; // declared before the icon, which refers to it
    QSystemTrayIcon m_native;
};

/// The shell's notification-icon operation: NIM_ADD makes the icon of (window, id) (shown
/// once it has an image), NIM_MODIFY changes the fields named by flags, NIM_DELETE removes
/// it. False when the icon already exists (add) or does not (modify, delete).
bool ShellNotifyIcon(unsigned operation, const TrayIconRecord& record, unsigned flags,
                     unsigned callbackMessage = 0);

/// The icon of (window, id), or null.
TrayIcon* FindTrayIcon(const QWidget* window, unsigned id);
/// How many icons the program has in the notification area.
int TrayIconCount();

/// Whether the desktop shows notification-area icons.
bool IsSystemTrayAvailable();
/// Makes IsSystemTrayAvailable answer this (tests): an XEmbed tray or none (see
/// OverrideTrayKind for the other kind); nullopt asks the desktop again.
void OverrideSystemTrayAvailable(std::optional<bool> available);

} // namespace ui
