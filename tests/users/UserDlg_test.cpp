#include "users/UserDlg.h"

#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "tests/support/TestDb.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::TestDb;

class UserDlgTest : public testing::Test {
protected:
    // Runs the login as the main window does, typing the given texts over the pre-filled
    // ones and pressing 登录 once; returns the result and leaves the messages recorded.
    int Login(const std::string& user, const std::string& password) {
        ui::ModalScript script;
        script.Then([&](ui::Dialog& dialog) {
            dialog.SetDlgItemText(CUserDlg::IDC_USER, user);
            dialog.SetDlgItemText(CUserDlg::IDC_PASSWORD, password);
            dialog.ClickButton(ui::IDOK);
            return ui::IDCANCEL;
        });
        CUserDlg dialog;
        dialog.m_strUserName = "root";
        dialog.m_strPassword = "73950";
        return dialog.DoModal();
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

TEST_F(UserDlgTest, OpensPrefilledAndMasked) {
    CUserDlg dialog;
    dialog.m_strUserName = "root";
    dialog.m_strPassword = "73950";
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.GetDlgItemText(CUserDlg::IDC_USER), "root");
    auto* password = dialog.Item<QLineEdit>(CUserDlg::IDC_PASSWORD);
    EXPECT_EQ(password->text().toStdString(), "73950");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dialog.GetDlgItem(CUserDlg::IDC_ADD)->isEnabled());
}

TEST_F(UserDlgTest, PrefilledLoginSucceeds) {
    EXPECT_EQ(Login("root", "73950"), ui::IDOK);
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(UserDlgTest, WrongPasswordOrUnknownUserIsRefused) {
    m_db.Exec("insert into tbUser (user, password) values ('Mary', 'Secret')");
    const struct {
        const char* user;
        const char* password;
    } cases[] = {
        {"Mary", "secret"},  // letter case matters
        {"mary", "Secret"},  // in the name too
        {"root", "73950 "},  // no trimming
        {"nobody", "73950"}, // unknown user
        {"' or user = 'root", "73950"}, // a quote in the name stays part of the name
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Login(c.user, c.password), ui::IDCANCEL) << c.user;
        EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"密码或者用户名错误！"}) << c.user;
    }
    EXPECT_EQ(Login("Mary", "Secret"), ui::IDOK);
}

TEST_F(UserDlgTest, EmptyFieldsAreRefusedBeforeAnyLookup) {
    // With the data file gone, any lookup would be an engine error: only the refusal shows.
    std::filesystem::remove(m_db.FilePath());
    for (const auto& [user, password] : {std::pair{"", "73950"}, {"root", ""}, {"", ""}}) {
        EXPECT_EQ(Login(user, password), ui::IDCANCEL);
        EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"用户名或者密码不能为空!"})
            << "[" << user << "] [" << password << "]";
    }
}

TEST_F(UserDlgTest, ApostropheNameLogsIn) {
    m_db.Exec("insert into tbUser (user, password) values ('O''Neil', 'it''s me')");
    EXPECT_EQ(Login("O'Neil", "it's me"), ui::IDOK);
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(UserDlgTest, MissingDataFileIsOneMessageAndTheDialogStaysOpen) {
    COFFER_FILE_LEDGER_ONLY();
    std::filesystem::remove(m_db.FilePath());
    EXPECT_EQ(Login("root", "73950"), ui::IDCANCEL);
    const std::vector<std::string> shown = m_messages.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("data.mdb"), std::string::npos) << shown[0];
}

} // namespace
