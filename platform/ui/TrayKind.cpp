#include "platform/ui/TrayKind.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSystemTrayIcon>

namespace ui {
namespace {

const char* const kWatcherService = "org.kde.StatusNotifierWatcher";
const char* const kWatcherPath = "/StatusNotifierWatcher";
// A desktop that does not answer at once has no host worth waiting for.
constexpr int kWatcherTimeoutMs = 500;

std::optional<TrayKind> g_override;

// Qt shows its icons through StatusNotifierItem exactly when the watcher says a host (the
// panel that draws the icons) is registered; otherwise through XEmbed.
bool HasStatusNotifierHost(const QDBusConnection& bus) {
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(QString::fromLatin1(kWatcherService)).value())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(kWatcherService) << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = QDBusConnection(bus).call(get, QDBus::Block, kWatcherTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().front().value<QDBusVariant>().variant().toBool();
}

} // namespace

TrayKind DetectTrayKind(bool trayAvailable, const QDBusConnection& bus) {
    if (!trayAvailable)
        return TrayKind::None;
    return HasStatusNotifierHost(bus) ? TrayKind::StatusNotifier : TrayKind::XEmbed;
}

TrayKind CurrentTrayKind() {
    if (g_override)
        return *g_override;
    // Asked afresh each time, as Qt does: the panel may start after the program.
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    return available ? DetectTrayKind(true, QDBusConnection::sessionBus()) : TrayKind::None;
}

void OverrideTrayKind(std::optional<TrayKind> kind) {
    g_override = kind;
}

} // namespace ui
