// The tray icon's menu on a StatusNotifierItem desktop, through a real D-Bus: a watcher on
// a private session bus, Coffer's main window in a process of its own on an X server, and
// the host's two ways to the menu: reading the exported menu over DBusMenu and choosing
// from it, or asking the program with ContextMenu (as Plasma may).
#include "app/CofferDlg.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/PopupScript.h"
#include "tests/support/TestDb.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

const char* const kChildVariable = "COFFER_TRAY_MENU_CHILD";

// What a StatusNotifierItem host's watcher offers: a host is registered, items register.
class Watcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
public:
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList RegisteredStatusNotifierItems() const { return m_items; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) {
        // An item gives its bus name or only its object path.
        m_items << (service.startsWith(QLatin1Char('/')) ? message().service() : service);
        Q_EMIT StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QStringList m_items;
};

// One entry of a DBusMenu layout: (id, properties, children).
struct MenuNode {
    int id = 0;
    QVariantMap properties;
    std::vector<MenuNode> children;
};

MenuNode ReadNode(const QDBusArgument& argument) {
    MenuNode node;
    argument.beginStructure();
    argument >> node.id >> node.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        node.children.push_back(ReadNode(qvariant_cast<QDBusArgument>(child.variant())));
    }
    argument.endArray();
    argument.endStructure();
    return node;
}

// A program of the test's own, ended with the test.
class Program {
public:
    Program(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        m_process.setProcessEnvironment(environment);
        m_process.start(program, arguments);
        m_process.waitForStarted();
    }
    ~Program() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QProcess& Process() { return m_process; }
    // The first line it writes, within a few seconds.
    QString FirstLine() {
        if (!QTest::qWaitFor([this] { return m_process.canReadLine(); }, 10000))
            return {};
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

private:
    QProcess m_process;
};

// The child: the main window on the X server and bus it was given, its popups chosen by a
// script; it says how many menus it opened itself, then ends as 退出 ends it.
TEST(TrayMenuBusTest, DISABLED_MainWindowOfTheChild) {
    if (std::getenv(kChildVariable) == nullptr)
        GTEST_SKIP() << "run by TheSettingsMenuReachesEveryKindOfHost";
    testing_support::TestDb db;
    ui::PopupScript popups;
    popups.Choose(CCofferDlg::ID_EXIT);
    CCofferDlg dlg;
    QTimer::singleShot(20000, &dlg, [&dlg] { dlg.EndDialog(-5); }); // a fault fails, not hangs
    const int result = dlg.DoModal();
    std::printf("result=%d popups=%zu\n", result, popups.Shown().size());
    std::fflush(stdout);
    EXPECT_EQ(result, ui::IDOK);
}

TEST(TrayMenuBusTest, TheSettingsMenuReachesEveryKindOfHost) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    const QString xserver = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (daemon.isEmpty() || xserver.isEmpty())
        GTEST_SKIP() << "needs dbus-daemon and Xvfb (packages dbus-daemon, xvfb)";
    const ui::MenuResource resource = ui::MenuResource::Load(129);
    const ui::MenuPopup& settings = *resource.GetSubMenu(0);

    for (const bool askTheProgram : {false, true}) {
        SCOPED_TRACE(askTheProgram ? "ContextMenu" : "DBusMenu");
        Program bus(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                             QStringLiteral("--print-address=1")});
        const QString address = bus.FirstLine();
        Program display(xserver, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                  QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                  QStringLiteral("-screen"), QStringLiteral("0"),
                                  QStringLiteral("800x600x24")});
        const QString number = display.FirstLine();
        ASSERT_FALSE(address.isEmpty());
        ASSERT_FALSE(number.isEmpty());

        const QString name = QStringLiteral("coffer-tray-%1").arg(askTheProgram);
        QDBusConnection connection = QDBusConnection::connectToBus(address, name);
        ASSERT_TRUE(connection.isConnected());
        Watcher watcher;
        ASSERT_TRUE(connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                              QDBusConnection::ExportAllSlots |
                                                  QDBusConnection::ExportAllSignals |
                                                  QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(connection.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + number);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
        environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
        Program child(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--gtest_filter=TrayMenuBusTest.DISABLED_MainWindowOfTheChild"),
                       QStringLiteral("--gtest_also_run_disabled_tests")},
                      environment);

        ASSERT_TRUE(QTest::qWaitFor(
            [&watcher] { return !watcher.RegisteredStatusNotifierItems().isEmpty(); }, 15000))
            << child.Process().readAllStandardError().toStdString();
        const QString item = watcher.RegisteredStatusNotifierItems().front();
        const auto call = [&](const QString& path, const QString& interface, const char* method,
                              const QVariantList& arguments) {
            QDBusMessage message =
                QDBusMessage::createMethodCall(item, path, interface, QString::fromLatin1(method));
            message.setArguments(arguments);
            // The watcher keeps answering meanwhile: the item may be asking it something.
            return connection.call(message, QDBus::BlockWithGui, 10000);
        };

        // The item names its menu, and the menu holds the settings menu's items.
        const QDBusMessage menuProperty =
            call(QStringLiteral("/StatusNotifierItem"),
                 QStringLiteral("org.freedesktop.DBus.Properties"), "Get",
                 {QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Menu")});
        ASSERT_EQ(menuProperty.type(), QDBusMessage::ReplyMessage)
            << menuProperty.errorMessage().toStdString();
        const QString menuPath = qvariant_cast<QDBusObjectPath>(
                                     menuProperty.arguments().front().value<QDBusVariant>().variant())
                                     .path();
        ASSERT_NE(menuPath, QStringLiteral("/NO_DBUSMENU"));
        const QDBusMessage layout = call(menuPath, QStringLiteral("com.canonical.dbusmenu"),
                                         "GetLayout", {0, -1, QStringList()});
        ASSERT_EQ(layout.type(), QDBusMessage::ReplyMessage) << layout.errorMessage().toStdString();
        const MenuNode root = ReadNode(qvariant_cast<QDBusArgument>(layout.arguments().at(1)));
        std::vector<std::string> labels, expected;
        int exitId = 0;
        for (const MenuNode& entry : root.children) {
            labels.push_back(entry.properties.value(QStringLiteral("label")).toString().toStdString());
            if (labels.back() == "退出")
                exitId = entry.id;
        }
        for (const ui::MenuItem& entry : settings.items)
            expected.push_back(entry.text);
        EXPECT_EQ(labels, expected);

        // A host that shows the menu itself sends the choice; one that asks the program gets
        // the window's own menu, where the script chooses 退出.
        const QDBusMessage asked =
            askTheProgram ? call(QStringLiteral("/StatusNotifierItem"),
                                 QStringLiteral("org.kde.StatusNotifierItem"), "ContextMenu",
                                 {100, 100})
                          : call(menuPath, QStringLiteral("com.canonical.dbusmenu"), "Event",
                                 {exitId, QStringLiteral("clicked"),
                                  QVariant::fromValue(QDBusVariant(0)), 0u});
        EXPECT_NE(asked.type(), QDBusMessage::ErrorMessage) << asked.errorMessage().toStdString();
        ASSERT_TRUE(QTest::qWaitFor(
            [&child] { return child.Process().state() == QProcess::NotRunning; }, 15000));
        const std::string output = child.Process().readAllStandardOutput().toStdString();
        EXPECT_EQ(child.Process().exitCode(), 0) << output;
        EXPECT_NE(output.find(askTheProgram ? "result=1 popups=1" : "result=1 popups=0"),
                  std::string::npos)
            << output;
        QDBusConnection::disconnectFromBus(name);
    }
}

} // namespace

#include "TrayMenuBus_test.moc"
