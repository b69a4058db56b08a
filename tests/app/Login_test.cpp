#include "app/CofferDlg.h"
#include "app/TreeResponse.h"

#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "inquiry/PayInquiryDlg.h"
#include "ledger/LedgerLocationDlg.h"
#include "platform/ado/pg/ServerLedger.h"
#include "records/NormalIncomeDlg.h"
#include "records/NormalPayDlg.h"
#include "tests/support/TestDb.h"
#include "users/UserDlg.h"

#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing_support::TestDb;

class LoginTest : public testing::Test {
protected:
    LoginTest() { EXPECT_TRUE(m_main.Create()); }

    // Presses the main window's 登录; the login dialog then gets the given texts typed
    // over its pre-filled ones (null keeps them) and the given button pressed.
    void Login(int button, const char* user = nullptr, const char* password = nullptr) {
        ui::ModalScript script;
        script.Then([&](ui::Dialog& login) {
            EXPECT_EQ(login.GetDlgItemText(CUserDlg::IDC_USER), "root");
            EXPECT_EQ(login.GetDlgItemText(CUserDlg::IDC_PASSWORD), "73950");
            if (user != nullptr)
                login.SetDlgItemText(CUserDlg::IDC_USER, user);
            if (password != nullptr)
                login.SetDlgItemText(CUserDlg::IDC_PASSWORD, password);
            login.ClickButton(button);
            return ui::IDCANCEL;
        });
        m_main.ClickButton(CCofferDlg::IDC_LOGIN);
        EXPECT_EQ(script.Runs(), std::vector<int>{CUserDlg::IDD});
    }
    std::vector<std::string> TreeTexts() const {
        std::vector<std::string> texts;
        for (QTreeWidgetItemIterator it(m_main.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE)); *it;
             ++it)
            texts.push_back((*it)->text(0).toStdString());
        return texts;
    }
    std::string Status() const { return m_main.GetDlgItemText(CCofferDlg::IDC_STATUS); }
    bool SettingsEnabled() const {
        return m_main.GetDlgItem(CCofferDlg::IDC_SETTINGS)->isEnabled();
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
    CCofferDlg m_main;
};

const std::vector<std::string> kTree{"日常管理", "日常收入", "日常支出", "日常查询",
                                     "收入查询", "支出查询", "收支统计", "搜索", "账户余额"};

TEST_F(LoginTest, PrefilledLoginUnlocksTheMainWindow) {
    ASSERT_EQ(Status(), "请登陆");
    ASSERT_FALSE(SettingsEnabled());
    Login(ui::IDOK);
    EXPECT_EQ(Status(), "root");
    EXPECT_EQ(TreeTexts(), kTree);
    EXPECT_TRUE(SettingsEnabled());
    EXPECT_TRUE(m_messages.Texts().empty());
}

// Before a login the settings menu is out of reach; a ledger that does not open offers the
// window that mends where it is.
TEST_F(LoginTest, ALedgerThatDoesNotOpenOffersTheLedgerLocationWindow) {
    COFFER_FILE_LEDGER_ONLY();
    std::filesystem::remove(m_db.FilePath());
    m_messages.Answer(ui::IDYES);
    ui::ModalScript script;
    script.Then([](ui::Dialog&) { return ui::IDCANCEL; });
    m_main.ClickButton(CCofferDlg::IDC_LOGIN);
    EXPECT_EQ(script.Runs(), std::vector<int>{CLedgerLocationDlg::IDD});
    ASSERT_EQ(m_messages.Questions().size(), 1u);
    EXPECT_NE(m_messages.Questions()[0].find("找不到账本文件"), std::string::npos)
        << m_messages.Questions()[0];
    EXPECT_NE(m_messages.Questions()[0].find("账本位置"), std::string::npos);
    EXPECT_EQ(Status(), "请登陆");
}

// Whatever is wrong with a server ledger, every window says it in the words of the
// 账本位置 window first; the server's own (English, "FATAL:", socket paths) come after.
TEST_F(LoginTest, ServerTroubleIsSaidPlainlyAtLoginAddAndTheInquiries) {
    if (!TestDb::OnServer())
        GTEST_SKIP() << "about a server ledger";
    using Check = ado::ServerLedger::Check;
    m_db.Exec("DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'coffer_pw') "
              "THEN CREATE ROLE coffer_pw LOGIN PASSWORD 'right'; END IF; END $$");
    const std::string host = std::getenv("COFFER_TEST_PGHOST");
    const struct {
        std::string uri;
        Check check;
    } cases[] = {
        {"postgresql:///coffer_tests?host=/nonexistent&user=postgres", Check::Unreachable},
        {"postgresql://coffer_pw:wrong@/postgres?host=" + host, Check::WrongPassword},
        {TestDb::ServerUri("no_such_database"), Check::NoDatabase},
        {TestDb::ServerUri("postgres"), Check::NotLedger},
    };
    for (const auto& c : cases) {
        setenv("COFFER_LEDGER", c.uri.c_str(), 1);
        const std::string plain = ado::ServerLedger::Explain(c.check);

        const size_t asked = m_messages.Questions().size();
        m_messages.Answer(ui::IDNO);
        m_main.ClickButton(CCofferDlg::IDC_LOGIN);
        ASSERT_EQ(m_messages.Questions().size(), asked + 1) << c.uri;
        EXPECT_EQ(m_messages.Questions().back().rfind("打不开账本：" + plain, 0), 0u)
            << m_messages.Questions().back();
        EXPECT_EQ(Status(), "请登陆");
        m_messages.Take();

        CNormalPayDlg add;
        add.Create();
        add.SetDlgItemText(1026, "30");
        add.ClickButton(1016);
        CPayInquiryDlg inquiry;
        inquiry.Create();
        inquiry.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
        const std::vector<std::string> shown = m_messages.Take();
        EXPECT_FALSE(shown.empty()) << c.uri;
        for (const std::string& text : shown)
            EXPECT_EQ(text.rfind(plain, 0), 0u) << text;
    }
    setenv("COFFER_LEDGER", m_db.Uri().c_str(), 1);
}

TEST_F(LoginTest, LoggingInTwiceLeavesSevenItems) {
    m_db.Exec("insert into tbUser (user, password) values ('O''Neil', 'pw')");
    Login(ui::IDOK);
    Login(ui::IDOK, "O'Neil", "pw");
    EXPECT_EQ(Status(), "O'Neil");
    EXPECT_EQ(TreeTexts(), kTree);
}

TEST_F(LoginTest, RefusedThenCancelledLoginOnlySetsTheStatusText) {
    Login(ui::IDCANCEL, nullptr, "73950x");
    EXPECT_EQ(Status(), "用户名或密码错误");
    EXPECT_TRUE(TreeTexts().empty());
    EXPECT_FALSE(SettingsEnabled());

    Login(ui::IDOK);
    // The refusals keep the dialog open; the run then ends as cancelled.
    Login(ui::IDOK, "root", "73950X");
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"密码或者用户名错误！"});
    EXPECT_EQ(Status(), "用户名或密码错误");
    EXPECT_EQ(TreeTexts(), kTree);
    EXPECT_TRUE(SettingsEnabled());
}

TEST_F(LoginTest, UserSettingsAndTheLoginAddButtonOpenUserAdministration) {
    ui::ModalScript script;
    script.Then([](ui::Dialog&) { return ui::IDCANCEL; });
    m_main.SendCommand(CCofferDlg::ID_USER_SETTINGS); // nobody logged in: still opens
    script.Then([](ui::Dialog& login) {
        EXPECT_FALSE(login.ClickButton(CUserDlg::IDC_ADD)); // disabled in the template
        login.SendCommand(CUserDlg::IDC_ADD);
        return ui::IDCANCEL;
    });
    script.Then([](ui::Dialog&) { return ui::IDCANCEL; });
    m_main.ClickButton(CCofferDlg::IDC_LOGIN);
    EXPECT_EQ(script.Runs(), (std::vector<int>{131, CUserDlg::IDD, 131}));
}

TEST_F(LoginTest, DoubleClickOnATreeItemOpensItsDialog) {
    Login(ui::IDOK);
    auto* tree = m_main.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE);
    ui::ModalScript script;
    for (int row : {1, 0, 1}) {
        tree->setCurrentItem(tree->topLevelItem(0)->child(row));
        m_main.SendNotify(CCofferDlg::IDC_NAV_TREE, ui::Notification::DblClk);
    }
    tree->setCurrentItem(tree->topLevelItem(0));
    m_main.SendNotify(CCofferDlg::IDC_NAV_TREE, ui::Notification::DblClk);
    EXPECT_EQ(script.Runs(),
              (std::vector<int>{CNormalPayDlg::IDD, CNormalIncomeDlg::IDD, CNormalPayDlg::IDD}));
}

TEST_F(LoginTest, TheInquiryTreeItemsOpenTheirWindows) {
    Login(ui::IDOK);
    auto* tree = m_main.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE);
    const struct {
        int child;
        const char* text;
        int idd;
    } items[] = {{2, "收支统计", 140}, {4, "账户余额", 232}};
    for (const auto& each : items) {
        QTreeWidgetItem* item = tree->topLevelItem(1)->child(each.child);
        ASSERT_EQ(item->text(0).toStdString(), each.text);
        EXPECT_FALSE(item->icon(0).isNull());
        ui::ModalScript script;
        tree->setCurrentItem(item);
        m_main.SendNotify(CCofferDlg::IDC_NAV_TREE, ui::Notification::DblClk);
        EXPECT_EQ(script.Runs(), std::vector<int>{each.idd});
    }
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(LoginTest, TheSearchItemAndCtrlFOpenTheSearchWindowOnceLoggedIn) {
    ui::ModalScript script;
    m_main.show(); // a window's shortcuts work while it is the active one
    m_main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_main));
    QTest::keyClick(&m_main, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(script.Runs().empty()); // nothing to search before the login
    Login(ui::IDOK);
    auto* tree = m_main.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE);
    QTreeWidgetItem* item = tree->topLevelItem(1)->child(3);
    ASSERT_EQ(item->text(0).toStdString(), "搜索");
    EXPECT_FALSE(item->icon(0).isNull());
    tree->setCurrentItem(item);
    m_main.SendNotify(CCofferDlg::IDC_NAV_TREE, ui::Notification::DblClk);
    QTest::keyClick(&m_main, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(script.Runs(), (std::vector<int>{160, 160}));
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST(TreeResponseTest, OnlyTheWholeExactTextOpensADialog) {
    const CTreeResponse response;
    EXPECT_NE(dynamic_cast<CNormalIncomeDlg*>(response.CreateDialogForItem("日常收入").get()),
              nullptr);
    EXPECT_NE(dynamic_cast<CNormalPayDlg*>(response.CreateDialogForItem("日常支出").get()),
              nullptr);
    for (const char* text : {"日常收入 ", " 日常收入", "日常收", "日常收入日常支出", "日常管理",
                             "日常查询", "收支统计 ", "统计", ""})
        EXPECT_EQ(response.CreateDialogForItem(text), nullptr) << "[" << text << "]";
}

TEST(TreeResponseTest, EachCallGivesAFreshDialog) {
    TestDb db;
    const CTreeResponse response;
    auto first = response.CreateDialogForItem("日常收入");
    ASSERT_TRUE(first->Create());
    first->SetDlgItemText(1020, "55");
    auto second = response.CreateDialogForItem("日常收入");
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(second->parentWidget(), nullptr);
    EXPECT_FALSE(second->IsCreated());
    ASSERT_TRUE(second->Create());
    EXPECT_EQ(second->GetDlgItemText(1020), "0");
}

} // namespace
