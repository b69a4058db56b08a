#include "users/UserAddDlg.h"

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
    Rows Users() const { return m_db.Query("select user, password from tbUser order by 1"); }
    std::string RootPassword() const {
        return m_db.Scalar("select password from tbUser where user = 'root'");
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
    EXPECT_EQ(Users(), (Rows{{"root", "73950"}, {"小明", "abc"}}));
    EXPECT_EQ(m_dialog.result(), 0); // still open after every press
}

TEST_F(UserAddDlgTest, NameWithQuotesIsStoredAsTyped) {
    EXPECT_EQ(Press("O'Neil", "it's", "it's"), Messages{"添加成功！"});
    EXPECT_EQ(Press("O'Neil", "x", "x"), Messages{"用户名已存在！"});
    // Text that would end the literal early adds a user of that name, nothing else.
    EXPECT_EQ(Press("x' or user = 'root", "p", "p"), Messages{"添加成功！"});
    EXPECT_EQ(Users(),
              (Rows{{"O'Neil", "it's"}, {"root", "73950"}, {"x' or user = 'root", "p"}}));
}

TEST_F(UserAddDlgTest, ChangesRootPassword) {
    m_dialog.ClickButton(CUserAddDlg::IDC_PASSWORD_MODE);
    // A wrong old password is reported before the repetition is compared.
    EXPECT_EQ(Press("wrong", "n1", "n2"), Messages{"与旧密码不一致！"});
    EXPECT_EQ(Press("73950", "n1", "n2"), Messages{"两次密码不一致！"});
    EXPECT_EQ(Press("73950", "", ""), Messages{"密码不能为空！"});
    EXPECT_EQ(Press("73950", "", "n1"), Messages{"两次密码不一致！"});
    EXPECT_EQ(RootPassword(), "73950");
    EXPECT_EQ(Press("73950", "n'1", "n'1"), Messages{"更改成功！"});
    EXPECT_EQ(RootPassword(), "n'1");
    EXPECT_EQ(Press("73950", "n2", "n2"), Messages{"与旧密码不一致！"});
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
