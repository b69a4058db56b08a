#include "users/UserAddDlg.h"

#include "data/PasswordHash.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QRadioButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

class UserAddDlgTest : public testing::Test {
protected:
    UserAddDlgTest() { EXPECT_TRUE(m_dialog.Create()); }

    // Types the three fields and presses 确定; returns the messages it gave.
    std::vector<std::string> Press(const std::string& name, const std::string& password,
                                   const std::string& repeat) {
        m_dialog.SetDlgItemText(CUserAddDlg::IDC_NAME, name);
        m_dialog.SetDlgItemText(CUserAddDlg::IDC_PASSWORD, password);
        m_dialog.SetDlgItemText(CUserAddDlg::IDC_REPEAT, repeat);
        m_dialog.ClickButton(ui::IDOK);
        return m_messages.Take();
    }
    Rows Users() const { return m_db.Query("select user from tbUser order by 1"); }
    // What the row of `user` holds against a typed password: passwords are kept as hashes.
    PasswordMatch Check(const std::string& user, const std::string& typed) const {
        const auto rows = m_db.Query("select password from tbUser where user = '" +
                                     std::string(user == "O'Neil" ? "O''Neil" : user) + "'");
        EXPECT_EQ(rows.size(), 1u) << user;
        return rows.empty() ? PasswordMatch::No : PasswordHash::Verify(rows[0][0], typed);
    }
    bool Holds(const std::string& user, const std::string& typed) const {
        return Check(user, typed) == PasswordMatch::Yes;
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
    CUserAddDlg m_dialog;
};

using Messages = std::vector<std::string>;

TEST_F(UserAddDlgTest, OpensInAddModeAndRelabelsWithTheMode) {
    EXPECT_TRUE(m_dialog.Item<QRadioButton>(CUserAddDlg::IDC_ADD_MODE)->isChecked());
    EXPECT_EQ(m_dialog.GetDlgItemText(CUserAddDlg::IDC_NAME_LABEL), "用 户  名：");
    m_dialog.SetDlgItemText(CUserAddDlg::IDC_NAME, "typed");
    m_dialog.ClickButton(CUserAddDlg::IDC_PASSWORD_MODE);
    EXPECT_EQ(m_dialog.GetDlgItemText(CUserAddDlg::IDC_NAME_LABEL), "旧 密  码：");
    EXPECT_FALSE(m_dialog.Item<QRadioButton>(CUserAddDlg::IDC_ADD_MODE)->isChecked());
    EXPECT_EQ(m_dialog.GetDlgItemText(CUserAddDlg::IDC_NAME), "typed");
    m_dialog.ClickButton(CUserAddDlg::IDC_ADD_MODE);
    EXPECT_EQ(m_dialog.GetDlgItemText(CUserAddDlg::IDC_NAME_LABEL), "用 户  名：");
}

TEST_F(UserAddDlgTest, AddsAUserAndRefusesWhatCannotBeAdded) {
    EXPECT_EQ(Press("小明", "abc", "abc"), Messages{"添加成功！"});
    EXPECT_EQ(Press("小明", "xyz", "xyz"), Messages{"用户名已存在！"});
    EXPECT_EQ(Press("root", "1", "2"), Messages{"用户名已存在！"});
    EXPECT_EQ(Press("小红", "abc", "abd"), Messages{"两次密码不一致！"});
    EXPECT_EQ(Press("", "abc", "abc"), Messages{"用户名或者密码不能为空!"});
    EXPECT_EQ(Press("小红", "", ""), Messages{"用户名或者密码不能为空!"});
    EXPECT_EQ(Press("", "", ""), Messages{"用户名或者密码不能为空!"});
    // The refusal of empty fields comes last: the usual answers keep their order.
    EXPECT_EQ(Press("root", "", ""), Messages{"用户名已存在！"});
    EXPECT_EQ(Press("小红", "", "abc"), Messages{"两次密码不一致！"});
    EXPECT_EQ(Users(), (Rows{{"root"}, {"小明"}}));
    EXPECT_TRUE(Holds("root", "73950"));
    EXPECT_TRUE(Holds("小明", "abc"));
    EXPECT_EQ(m_dialog.result(), 0); // still open after every press
}

TEST_F(UserAddDlgTest, NameWithQuotesIsStoredAsTyped) {
    EXPECT_EQ(Press("O'Neil", "it's", "it's"), Messages{"添加成功！"});
    EXPECT_EQ(Press("O'Neil", "x", "x"), Messages{"用户名已存在！"});
    // Text that would end the literal early adds a user of that name, nothing else.
    EXPECT_EQ(Press("x' or user = 'root", "p", "p"), Messages{"添加成功！"});
    EXPECT_EQ(Users(), (Rows{{"O'Neil"}, {"root"}, {"x' or user = 'root"}}));
    EXPECT_TRUE(Holds("O'Neil", "it's"));
    EXPECT_TRUE(Holds("root", "73950"));
}

TEST_F(UserAddDlgTest, ChangesRootPassword) {
    m_dialog.ClickButton(CUserAddDlg::IDC_PASSWORD_MODE);
    // A wrong old password is reported before the repetition is compared.
    EXPECT_EQ(Press("wrong", "n1", "n2"), Messages{"与旧密码不一致！"});
    EXPECT_EQ(Press("73950", "n1", "n2"), Messages{"两次密码不一致！"});
    EXPECT_EQ(Press("73950", "", ""), Messages{"密码不能为空！"});
    EXPECT_EQ(Press("73950", "", "n1"), Messages{"两次密码不一致！"});
    EXPECT_TRUE(Holds("root", "73950"));
    EXPECT_EQ(Press("73950", "n'1", "n'1"), Messages{"更改成功！"});
    EXPECT_TRUE(Holds("root", "n'1"));
    EXPECT_EQ(Press("73950", "n2", "n2"), Messages{"与旧密码不一致！"});
    EXPECT_EQ(Press("N'1", "n2", "n2"), Messages{"与旧密码不一致！"}); // letter case matters
    EXPECT_EQ(Press("n'1", "n2", "n2"), Messages{"更改成功！"});
    EXPECT_TRUE(Holds("root", "n2"));
}

TEST_F(UserAddDlgTest, AnOlderLedgersPlainRootPasswordIsCheckedAndReplacedByAHash) {
    m_db.Exec("update tbUser set password = 'Old''pw' where user = 'root'");
    m_dialog.ClickButton(CUserAddDlg::IDC_PASSWORD_MODE);
    EXPECT_EQ(Press("old'pw", "n", "n"), Messages{"与旧密码不一致！"});
    // Hashed as the ledger was opened, and still only the old password's.
    const std::string stored = m_db.Scalar("select password from tbUser");
    EXPECT_EQ(PasswordHash::Verify(stored, "Old'pw"), PasswordMatch::Yes) << stored;
    EXPECT_EQ(Press("Old'pw", "新密码", "新密码"), Messages{"更改成功！"});
    EXPECT_TRUE(Holds("root", "新密码"));
}

// Whatever is typed, tbUser never holds it: the rows hold hashes.
TEST_F(UserAddDlgTest, NoRowEverHoldsATypedPassword) {
    const struct {
        bool changeMode;
        const char* name;
        const char* password;
        const char* repeat;
    } presses[] = {
        {false, "甲", "pw1", "pw1"},         {false, "O'Neil", "p'w", "p'w"},
        {false, "乙", "pw2", "different"},   {false, "丙", "同样", "同样"},
        {true, "73950", "root1", "root1"},   {true, "wrong", "x", "x"},
        {true, "root1", "root'2", "root'2"}, {true, "root'2", "a", "b"},
    };
    std::vector<std::string> typed;
    for (const auto& press : presses) {
        m_dialog.ClickButton(press.changeMode ? CUserAddDlg::IDC_PASSWORD_MODE
                                              : CUserAddDlg::IDC_ADD_MODE);
        Press(press.name, press.password, press.repeat);
        typed.insert(typed.end(), {press.name, press.password, press.repeat});
        for (const auto& row : m_db.Query("select password from tbUser")) {
            EXPECT_TRUE(PasswordHash::IsHash(row[0])) << row[0];
            for (const std::string& text : typed)
                EXPECT_NE(row[0], text);
        }
    }
    EXPECT_TRUE(Holds("root", "root'2"));
    EXPECT_TRUE(Holds("O'Neil", "p'w"));
    EXPECT_TRUE(Holds("丙", "同样"));
    EXPECT_EQ(Users(), (Rows{{"O'Neil"}, {"root"}, {"丙"}, {"甲"}}));
}

TEST_F(UserAddDlgTest, ChangeWithoutRootRowSaysNothing) {
    m_db.Exec("delete from tbUser");
    m_dialog.ClickButton(CUserAddDlg::IDC_PASSWORD_MODE);
    EXPECT_EQ(Press("", "n1", "n1"), Messages{});
    EXPECT_TRUE(Users().empty());
}

TEST_F(UserAddDlgTest, EachPressOpensItsOwnConnection) {
    COFFER_FILE_LEDGER_ONLY();
    // The file is removed between presses; a connection kept open would go on using it.
    EXPECT_EQ(Press("甲", "1", "1"), Messages{"添加成功！"});
    std::filesystem::remove(m_db.FilePath());
    const Messages missing = Press("乙", "1", "1");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_NE(missing[0].find("data.mdb"), std::string::npos) << missing[0];
}

} // namespace
