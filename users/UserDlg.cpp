#include "users/UserDlg.h"

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/PasswordHash.h"
#include "data/SqlText.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/MenuResource.h"
#include "users/UserAddDlg.h"

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
    CADORecordset rs(&db);
    if (!rs.Open("select * from tbUser where user = '" + QuoteSql(m_strUserName) + "'",
                 CADORecordset::ModeQuery))
        return;
    // An unknown user is refused after the same work as a known one, so the time a login
    // takes does not tell which names exist.
    const bool bKnown = !(rs.IsEOF() && rs.IsBOF());
    std::string stored;
    if (bKnown)
        rs.GetFieldValue("password", stored);
    const PasswordMatch match = bKnown ? PasswordHash::Verify(stored, m_strPassword)
                                       : PasswordHash::VerifyUnknownUser(m_strPassword);
    if (match == PasswordMatch::No) {
        ui::MessageBox(this, "密码或者用户名错误！");
        return;
    }
    EndDialog(ui::IDOK);
    // A password an older ledger keeps as plain text is replaced by its hash at once. The
    // user is in either way: a ledger that cannot be written only says so.
    if (match == PasswordMatch::YesRehash) {
        rs.Edit();
        PasswordHash::SetField(rs, "password", m_strPassword);
        rs.Update();
    }
}

void CUserDlg::OnUserSettings() {
    CUserAddDlg dlg(this);
    dlg.DoModal();
}
