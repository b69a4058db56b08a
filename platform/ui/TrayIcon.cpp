#include "platform/ui/TrayIcon.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/TrayKind.h"

#include <QAction>
#include <QMenu>

#include <memory>
#include <vector>

namespace ui {
namespace {

// Icons belong to the program, not to their window: one left without NIM_DELETE stays
// until the end, as it would on any desktop.
std::vector<std::unique_ptr<TrayIcon>>& Icons() {
    static std::vector<std::unique_ptr<TrayIcon>> icons;
    return icons;
}

unsigned MouseMessageOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::Trigger:
        // Where the icon can only be clicked, the click is its activation: what the window
        // hears from a double-click elsewhere.
        return CurrentTrayKind() == TrayKind::StatusNotifier ? WM_LBUTTONDBLCLK : WM_LBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

} // namespace

TrayIcon::TrayIcon(QWidget* window, unsigned id, unsigned callbackMessage)
    : m_window(window), m_nId(id), m_nCallbackMessage(callbackMessage) {
    connect(&m_native, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
}

void TrayIcon::SetIcon(const QIcon& icon) {
    m_native.setIcon(icon);
    // The desktop is given the icon only once there is something to show.
    if (!icon.isNull())
        m_native.show();
}

void TrayIcon::SetMenu(const MenuPopup& popup) {
    auto menu = std::make_unique<QMenu>();
    for (const MenuItem& item : popup.items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        const int id = item.id;
        QAction* action = menu->addAction(QString::fromStdString(item.text));
        connect(action, &QAction::triggered, this, [this, id] {
            if (auto* dialog = qobject_cast<Dialog*>(m_window.data()))
                dialog->SendCommand(id);
        });
    }
    // An XEmbed tray's icon is Qt's own window, which opens a menu it is given at the
    // press and then tells the window too: there the window's menu is the only one.
    const bool exported = CurrentTrayKind() == TrayKind::StatusNotifier;
    m_native.setContextMenu(exported ? menu.get() : nullptr);
    m_menu = std::move(menu);
}

void TrayIcon::SetTip(const std::string& tip) {
    m_strTip = tip;
    m_native.setToolTip(QString::fromStdString(tip));
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    const unsigned mouse = MouseMessageOf(reason);
    if (mouse != 0 && m_nCallbackMessage != 0)
        SendWindowMessage(m_window, m_nCallbackMessage, m_nId, static_cast<std::intptr_t>(mouse));
}

bool ShellNotifyIcon(unsigned operation, const TrayIconRecord& record, unsigned flags,
                     unsigned callbackMessage) {
    TrayIcon* icon = FindTrayIcon(record.window, record.id);
    switch (operation) {
    case NIM_ADD:
        if (icon != nullptr || record.window == nullptr)
            return false;
        Icons().push_back(std::make_unique<TrayIcon>(record.window, record.id, 0));
        icon = Icons().back().get();
        break;
    case NIM_MODIFY:
        if (icon == nullptr)
            return false;
        break;
    case NIM_DELETE: {
        if (icon == nullptr)
            return false;
        std::erase_if(Icons(),
                      [icon](const std::unique_ptr<TrayIcon>& each) { return each.get() == icon; });
        return true;
    }
    default:
        return false;
    }
    if (flags & NIF_MESSAGE)
        icon->SetCallbackMessage(callbackMessage);
    if (flags & NIF_TIP)
        icon->SetTip(record.tip);
    if (flags & NIF_ICON)
        icon->SetIcon(record.icon);
    return true;
}

TrayIcon* FindTrayIcon(const QWidget* window, unsigned id) {
    for (const std::unique_ptr<TrayIcon>& icon : Icons()) {
        if (icon->Window() == window && window != nullptr && icon->Id() == id)
            return icon.get();
    }
    return nullptr;
}

int TrayIconCount() {
    return static_cast<int>(Icons().size());
}

bool IsSystemTrayAvailable() {
    return CurrentTrayKind() != TrayKind::None;
}

void OverrideSystemTrayAvailable(std::optional<bool> available) {
    if (available)
        OverrideTrayKind(*available ? TrayKind::XEmbed : TrayKind::None);
    else
        OverrideTrayKind(std::nullopt);
}

} // namespace ui
