#include "users/UserDlg.h"

#include "data/PasswordHash.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "tests/support/FailingVfs.h"
#include "tests/support/TestDb.h"

#include <QLineEdit>

#include <gtest/gtest.h>
#include <sodium.h>

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
        {"Mary", "secret"},             // letter case matters
        {"mary", "Secret"},             // in the name too
        {"root", "73950 "},             // no trimming
        {"nobody", "73950"},            // unknown user
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
    EXPECT_EQ(Login("O'Neil", "it's me"), ui::IDOK); // again, now against its hash
    EXPECT_TRUE(m_messages.Texts().empty());
}

// Rows an older ledger keeps as plain text are hashed as soon as the ledger is opened: an
// exact match logs in, a near miss does not.
TEST_F(UserDlgTest, PlainTextRowsAreHashedAndOnlyAnExactMatchLogsIn) {
    m_db.Exec("insert into tbUser (user, password) values ('O''Neil', 'p''w'), ('妈妈', '密码A')");
    const struct {
        const char* user;
        const char* password;
        int result;
    } attempts[] = {
        {"O'Neil", "P'w", ui::IDCANCEL}, {"O'Neil", "p'w ", ui::IDCANCEL},
        {"妈妈", "密码a", ui::IDCANCEL}, {"O'Neil", "p'w", ui::IDOK},
        {"妈妈", "密码A", ui::IDOK},     {"O'Neil", "P'w", ui::IDCANCEL},
        {"O'Neil", "p'w", ui::IDOK},
    };
    for (const auto& a : attempts) {
        SCOPED_TRACE(std::string(a.user) + " " + a.password);
        EXPECT_EQ(Login(a.user, a.password), a.result);
        m_messages.Take();
        for (const auto& row : m_db.Query("select password from tbUser"))
            EXPECT_TRUE(PasswordHash::IsHash(row[0])) << row[0];
    }
    const auto rows = m_db.Query("select user, password from tbUser order by ID");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][0], "O'Neil");
    EXPECT_EQ(PasswordHash::Verify(rows[1][1], "p'w"), PasswordMatch::Yes);
    EXPECT_EQ(rows[2][0], "妈妈");
    EXPECT_EQ(PasswordHash::Verify(rows[2][1], "密码A"), PasswordMatch::Yes);
    // root was never logged in: its starter hash is as it was made.
    EXPECT_EQ(PasswordHash::Verify(rows[0][1], "73950"), PasswordMatch::Yes);
}

// The user typed the right password: a ledger that cannot take the new hash (a full disk)
// says so once and still lets the user in; the row keeps what it held until a later login.
TEST_F(UserDlgTest, ALedgerThatCannotTakeTheHashStillLetsTheUserIn) {
    COFFER_FILE_LEDGER_ONLY(); // the disk fault is SQLite's
    m_db.Exec("insert into tbUser (user, password) values ('妈妈', 'pw')");
    {
        testing_support::FailingVfs vfs;
        vfs.SetDiskFull(true);
        EXPECT_EQ(Login("妈妈", "pw"), ui::IDOK);
        EXPECT_EQ(m_messages.Take().size(), 1u);
    }
    EXPECT_EQ(m_db.Scalar("select password from tbUser where user = '妈妈'"), "pw");
    EXPECT_EQ(Login("妈妈", "pw"), ui::IDOK);
    EXPECT_TRUE(m_messages.Texts().empty());
    EXPECT_EQ(
        PasswordHash::Verify(m_db.Scalar("select password from tbUser where user = '妈妈'"), "pw"),
        PasswordMatch::Yes);
}

// A current hash stays as it is; one made with other limits is renewed after the login.
TEST_F(UserDlgTest, ACurrentHashIsKeptAndAnOlderOneRenewed) {
    const std::string current = m_db.Scalar("select password from tbUser");
    EXPECT_EQ(Login("root", "73950"), ui::IDOK);
    EXPECT_EQ(m_db.Scalar("select password from tbUser"), current);

    ASSERT_GE(sodium_init(), 0);
    char older[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str(older, "73950", 5, crypto_pwhash_OPSLIMIT_INTERACTIVE + 1,
                                crypto_pwhash_MEMLIMIT_INTERACTIVE / 2),
              0);
    m_db.Exec("update tbUser set password = '" + std::string(older) + "'");
    EXPECT_EQ(Login("root", "73950"), ui::IDOK);
    const std::string renewed = m_db.Scalar("select password from tbUser");
    EXPECT_NE(renewed, older);
    EXPECT_EQ(PasswordHash::Verify(renewed, "73950"), PasswordMatch::Yes);
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
