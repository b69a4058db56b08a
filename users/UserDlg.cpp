#include "users/UserDlg.h"

#include "data/ADODatabase.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/MenuResource.h"
#include "users/UserAddDlg.h"
#include "users/UserLogin.h"

CUserDlg::CUserDlg(QWidget* parent) : ui::Dialog(IDD, parent) {
    OnCommand(IDC_ADD, [this] { OnUserSettings(); });
}

bool CUserDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "userLogindialog", 1);
    return true;
}

void CUserDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::DDX_Text(dx, IDC_USER, m_strUserName);
    ui::DDX_Text(dx, IDC_PASSWORD, m_strPassword);
}

void CUserDlg::OnOK() {
    UpdateData(true);
    if (m_strPassword.empty() || m_strUserName.empty()) {
        ui::MessageBox(this, "用户名或者密码不能为空!");
        return;
    }
    CADODatabase db;
    db.SetConnectionString(ui::LoadResourceString(102));
    if (!db.Open())
        return;
    // The query and the verdict are the same for every way in.
    if (CUserLogin::Check(db, m_strUserName, m_strPassword, [this] { EndDialog(ui::IDOK); }) !=
        CUserLogin::Outcome::Right)
        ui::MessageBox(this, "密码或者用户名错误！");
}

void CUserDlg::OnUserSettings() {
    CUserAddDlg dlg(this);
    dlg.DoModal();
}
