// A ledger server slow to answer: the windows stay drawn while a statement waits, a window
// says so, and its 取消 has the server cancel the statement.
#include "app/ServerWaitWindow.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ado/ComError.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using testing_support::TestDb;

QProgressDialog* ShownWaitWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<QProgressDialog*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

TEST(ServerWaitTest, TheWindowsStayDrawnAndTheWaitCanBeGivenUp) {
    if (!TestDb::OnServer())
        GTEST_SKIP() << "about a server ledger";
    TestDb ledger;
    const CServerWaitWindow wait;
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    CADORecordset rs(&db);
    // Stopped and resumed while a statement waits for it.
    const pid_t pid = testing_support::ServerProcessOf(db);
    ASSERT_GT(pid, 0);

    struct Case {
        const char* what;
        const char* statement;
        // Done once the window shows, on the windows' thread while the statement waits.
        std::function<void(QProgressDialog&)> meanwhile;
        const char* said; // "" when the statement is answered
    };
    const Case cases[] = {
        // The server process stops answering for a while, then goes on.
        {"stalled", "select pg_sleep(0.6), 7",
         [&](QProgressDialog& window) {
             ::kill(pid, SIGSTOP);
             QTimer::singleShot(300, &window, [&] { ::kill(pid, SIGCONT); });
         },
         ""},
        {"given up", "select pg_sleep(30), 7",
         [](QProgressDialog& window) {
             for (QPushButton* button : window.findChildren<QPushButton*>())
                 button->click();
         },
         "已经取消"},
    };
    for (const Case& c : cases) {
        QObject scope; // its timers end with the case
        bool served = false;
        std::string text;
        std::function<void()> look = [&] {
            if (QProgressDialog* window = ShownWaitWindow()) {
                served = true;
                text = window->labelText().toStdString();
                c.meanwhile(*window);
                return;
            }
            QTimer::singleShot(50, &scope, look);
        };
        // Set off from inside the wait, on a statement in flight.
        QTimer::singleShot(0, &scope, look);
        const auto start = std::chrono::steady_clock::now();
        std::string said;
        try {
            // Rows are read when first wanted.
            ASSERT_TRUE(rs.Open(c.statement, CADORecordset::ModeQuery));
            double seven = 0;
            rs.GetFieldValue(1, seven);
            EXPECT_EQ(seven, 7.0) << c.what;
        } catch (const CADOException& e) {
            said = e.GetErrorMessage();
        }
        rs.Close();
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(served) << c.what;
        EXPECT_EQ(text, CServerWaitWindow::kText) << c.what;
        EXPECT_EQ(ShownWaitWindow(), nullptr) << c.what;
        EXPECT_LT(took, std::chrono::seconds(10)) << c.what;
        if (*c.said == '\0')
            EXPECT_EQ(said, "") << c.what;
        else
            EXPECT_NE(said.find(c.said), std::string::npos) << c.what << ": " << said;
    }
    // The connection serves the next statement as before.
    ASSERT_TRUE(rs.Open("select 8", CADORecordset::ModeQuery));
    double eight = 0;
    rs.GetFieldValue(0, eight);
    EXPECT_EQ(eight, 8.0);
}

// A server that takes the connection and never says a word (a NAS half gone): connecting
// runs off the windows' thread, so the wait window shows and its 取消 is heard at once
// instead of after the ten seconds a connection may take.
TEST(ServerWaitTest, ConnectingToASilentServerCanBeGivenUp) {
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(silent, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0); // the kernel completes the handshake; nobody answers
    socklen_t size = sizeof address;
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const std::string uri = "postgresql://coffer@127.0.0.1:" +
                            std::to_string(ntohs(address.sin_port)) + "/ledger?sslmode=disable";

    const CServerWaitWindow wait;
    QObject scope;
    bool shown = false;
    std::function<void()> look = [&] {
        if (QProgressDialog* window = ShownWaitWindow()) {
            shown = true;
            for (QPushButton* button : window->findChildren<QPushButton*>())
                button->click();
            return;
        }
        QTimer::singleShot(50, &scope, look);
    };
    QTimer::singleShot(0, &scope, look);
    const auto start = std::chrono::steady_clock::now();
    CADODatabase db;
    db.SetConnectionString("Data Source=" + uri);
    std::string said;
    try {
        db.Open();
        ADD_FAILURE() << "a server that never answers was taken for a ledger";
    } catch (const CADOException& e) {
        said = e.GetErrorMessage();
    }
    const auto took = std::chrono::steady_clock::now() - start;
    ::close(silent);
    EXPECT_TRUE(shown);
    EXPECT_NE(said.find("已经取消"), std::string::npos) << said;
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(ShownWaitWindow(), nullptr);
}

} // namespace
