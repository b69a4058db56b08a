// Which tray the desktop has, asked of a private session bus on which a fake desktop
// registers (or not) a StatusNotifierItem watcher, as KDE Plasma or GNOME's AppIndicator
// extension do.
#include "platform/ui/TrayKind.h"

#include <QDBusConnection>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// A session bus of the test's own, gone with it.
class PrivateBus {
public:
    PrivateBus() {
        FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        if (out == nullptr)
            return;
        char address[512] = {};
        char pid[32] = {};
        if (fgets(address, sizeof address, out) && fgets(pid, sizeof pid, out)) {
            m_address = address;
            m_address.erase(m_address.find_last_not_of('\n') + 1);
            m_pid = std::stoi(pid);
        }
        pclose(out);
    }
    ~PrivateBus() {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
    }
    const std::string& Address() const { return m_address; }

private:
    std::string m_address;
    int m_pid = 0;
};

// The watcher a StatusNotifierItem desktop runs: it says whether a host (the panel that
// draws the icons) is registered.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
public:
    explicit FakeWatcher(bool hostRegistered) : m_bHost(hostRegistered) {}
    bool IsStatusNotifierHostRegistered() const { return m_bHost; }

private:
    bool m_bHost;
};

// A fake desktop on the bus; it answers from its own thread, as another process would.
class FakeDesktop {
public:
    FakeDesktop(const std::string& address, bool hostRegistered)
        : m_bus(QDBusConnection::connectToBus(QString::fromStdString(address),
                                              QStringLiteral("fake-desktop"))),
          m_watcher(std::make_unique<FakeWatcher>(hostRegistered)) {
        m_thread.start();
        m_watcher->moveToThread(&m_thread);
        EXPECT_TRUE(m_bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), m_watcher.get(),
                                         QDBusConnection::ExportAllProperties));
        EXPECT_TRUE(m_bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    }
    ~FakeDesktop() {
        m_bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        m_bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-desktop"));
        m_thread.quit();
        m_thread.wait();
    }

private:
    QDBusConnection m_bus;
    QThread m_thread;
    std::unique_ptr<FakeWatcher> m_watcher;
};

TEST(TrayKindTest, TheDesktopsWatcherDecidesBetweenStatusNotifierAndXEmbed) {
    PrivateBus bus;
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon could not be started";
    const QDBusConnection program = QDBusConnection::connectToBus(
        QString::fromStdString(bus.Address()), QStringLiteral("program"));
    ASSERT_TRUE(program.isConnected());

    // No watcher on the bus: a tray is an XEmbed one.
    EXPECT_EQ(ui::DetectTrayKind(true, program), ui::TrayKind::XEmbed);
    EXPECT_EQ(ui::DetectTrayKind(false, program), ui::TrayKind::None);
    {
        FakeDesktop desktop(bus.Address(), true);
        EXPECT_EQ(ui::DetectTrayKind(true, program), ui::TrayKind::StatusNotifier);
        EXPECT_EQ(ui::DetectTrayKind(false, program), ui::TrayKind::None);
    }
    {
        // A watcher without a host draws no icon: Qt falls back to XEmbed, and so do we.
        FakeDesktop desktop(bus.Address(), false);
        EXPECT_EQ(ui::DetectTrayKind(true, program), ui::TrayKind::XEmbed);
    }
    EXPECT_EQ(ui::DetectTrayKind(true, program), ui::TrayKind::XEmbed);
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));

    // Without a session bus at all.
    EXPECT_EQ(ui::DetectTrayKind(true, QDBusConnection(QStringLiteral("none"))),
              ui::TrayKind::XEmbed);
}

TEST(TrayKindTest, TestsCanOverrideTheDesktop) {
    for (ui::TrayKind kind :
         {ui::TrayKind::None, ui::TrayKind::XEmbed, ui::TrayKind::StatusNotifier}) {
        ui::OverrideTrayKind(kind);
        EXPECT_EQ(ui::CurrentTrayKind(), kind);
    }
    ui::OverrideTrayKind(std::nullopt);
    // Offscreen there is no notification area, whatever the session bus holds.
    EXPECT_EQ(ui::CurrentTrayKind(), ui::TrayKind::None);
}

} // namespace

#include "TrayKind_test.moc"
