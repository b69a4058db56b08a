#include "users/UserAddDlg.h"

#include "data/ADORecordset.h"
#include "data/PasswordHash.h"
#include "data/SqlText.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/MenuResource.h"

#include <QRadioButton>

namespace {

// The connection lives for one press of 确定, however that press ends.
class CloseOnExit {
public:
    explicit CloseOnExit(CADODatabase& db) : m_db(db) {}
    ~CloseOnExit() {
        try {
            m_db.Close();
        } catch (...) {
            // The press already reports its own error; the connection goes with the dialog.
        }
    }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    CADODatabase& m_db;
};

} // namespace

CUserAddDlg::CUserAddDlg(QWidget* parent) : ui::Dialog(IDD, parent) {
    OnCommand(IDC_ADD_MODE, [this] { OnAddUserMode(); });
    OnCommand(IDC_PASSWORD_MODE, [this] { OnChangePasswordMode(); });
}

bool CUserAddDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "userdialog", 1);
    dsSkinWindow(GetDlgItem(IDC_ADD_MODE), SkinRadioButton, "checkbtn_state", 0);
    dsSkinWindow(GetDlgItem(IDC_PASSWORD_MODE), SkinRadioButton, "checkbtn_state", 0);
    Item<QRadioButton>(IDC_ADD_MODE)->setChecked(true);
    return true;
}

void CUserAddDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::DDX_Text(dx, IDC_NAME, m_strUserName);
    ui::DDX_Text(dx, IDC_PASSWORD, m_strPassword);
    ui::DDX_Text(dx, IDC_REPEAT, m_strRepeat);
}

void CUserAddDlg::OnAddUserMode() {
    SetDlgItemText(IDC_NAME_LABEL, "用 户  名：");
}

void CUserAddDlg::OnChangePasswordMode() {
    SetDlgItemText(IDC_NAME_LABEL, "旧 密  码：");
}

void CUserAddDlg::OnOK() {
    UpdateData(true);
    const bool addMode = Item<QRadioButton>(IDC_ADD_MODE)->isChecked();
    m_db.SetConnectionString(ui::LoadResourceString(102));
    if (!m_db.Open())
        return;
    CloseOnExit closer(m_db);
    CADORecordset rs(&m_db);
    const std::string query =
        addMode ? "select * from tbUser where user = '" + QuoteSql(m_strUserName) + "'"
                : std::string("select * from tbUser where user = 'root'");
    if (!rs.Open(query, CADORecordset::ModeQuery))
        return;
    if (addMode)
        AddUser(rs);
    else
        ChangeRootPassword(rs);
    rs.Close();
}

void CUserAddDlg::AddUser(CADORecordset& rs) {
    if (!rs.IsEOF()) {
        ui::MessageBox(this, "用户名已存在！");
        return;
    }
    if (m_strPassword != m_strRepeat) {
        ui::MessageBox(this, "两次密码不一致！");
        return;
    }
    // A user without a name or a password could never log in.
    if (m_strUserName.empty() || m_strPassword.empty()) {
        ui::MessageBox(this, "用户名或者密码不能为空!");
        return;
    }
    rs.AddNew();
    rs.SetFieldValue(1, m_strUserName);
    PasswordHash::SetField(rs, 2, m_strPassword);
    if (rs.Update())
        ui::MessageBox(this, "添加成功！");
}

void CUserAddDlg::ChangeRootPassword(CADORecordset& rs) {
    if (rs.IsEOF())
        return;
    std::string stored;
    rs.GetFieldValue(2, stored);
    if (PasswordHash::Verify(stored, m_strUserName) == PasswordMatch::No) {
        ui::MessageBox(this, "与旧密码不一致！");
        return;
    }
    if (m_strPassword != m_strRepeat) {
        ui::MessageBox(this, "两次密码不一致！");
        return;
    }
    // An empty password locks root out: the login refuses an empty password.
    if (m_strPassword.empty()) {
        ui::MessageBox(this, "密码不能为空！");
        return;
    }
    rs.Edit();
    PasswordHash::SetField(rs, 2, m_strPassword);
    if (rs.Update())
        ui::MessageBox(this, "更改成功！");
}
