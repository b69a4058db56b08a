#include "ledger/LedgerLocationDlg.h"

#include "platform/ado/LedgerLocation.h"
#include "platform/ado/pg/PasswordFile.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/MessageBox.h"

#include <QRadioButton>

CLedgerLocationDlg::CLedgerLocationDlg(QWidget* parent) : ui::Dialog(IDD, parent) {
    OnCommand(IDC_FILE, [this] { ShowChoice(); });
    OnCommand(IDC_SERVER, [this] { ShowChoice(); });
    OnCommand(IDC_TEST, [this] { OnTest(); });
}

bool CLedgerLocationDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    CServerAddress& address = m_stored;
    const bool bServer = CServerAddress::FromUri(
        ado::LedgerLocation::Read(ado::LedgerLocation::ConfigFile()), address);
    // A password written into the address goes to the password file at 确定.
    SetDlgItemText(IDC_PASSWORD, address.m_strPassword);
    SetDlgItemText(IDC_HOST, address.m_strHost);
    SetDlgItemText(IDC_PORT, address.m_strPort.empty() ? "5432" : address.m_strPort);
    SetDlgItemText(IDC_DATABASE, address.m_strDatabase.empty() ? "coffer" : address.m_strDatabase);
    SetDlgItemText(IDC_USER, address.m_strUser);
    Item<QRadioButton>(bServer ? IDC_SERVER : IDC_FILE)->setChecked(true);
    ShowChoice();
    return true;
}

bool CLedgerLocationDlg::IsServerChosen() const {
    return Item<QRadioButton>(IDC_SERVER)->isChecked();
}

void CLedgerLocationDlg::ShowChoice() {
    const bool bServer = IsServerChosen();
    for (int id : {IDC_HOST, IDC_PORT, IDC_DATABASE, IDC_USER, IDC_PASSWORD, IDC_TEST})
        EnableItem(id, bServer);
}

CServerAddress CLedgerLocationDlg::Address() const {
    CServerAddress address;
    address.m_strHost = GetDlgItemText(IDC_HOST);
    address.m_strPort = GetDlgItemText(IDC_PORT);
    address.m_strDatabase = GetDlgItemText(IDC_DATABASE);
    address.m_strUser = GetDlgItemText(IDC_USER);
    address.m_strOptions = m_stored.m_strOptions;
    return address;
}

std::string CLedgerLocationDlg::TestUri() const {
    // Without a typed password, ~/.pgpass gives it, as to every client.
    return Address().ToUri(GetDlgItemText(IDC_PASSWORD));
}

void CLedgerLocationDlg::OnTest() {
    std::string detail;
    const ado::ServerLedger::Check check = ado::ServerLedger::Test(TestUri(), detail);
    std::string text = ado::ServerLedger::Explain(check);
    if (check == ado::ServerLedger::Check::Failed && !detail.empty())
        text += "\n" + detail;
    ui::MessageBox(this, text);
}

void CLedgerLocationDlg::OnOK() {
    std::string error;
    const std::string conf = ado::LedgerLocation::ConfigFile();
    if (!IsServerChosen()) {
        if (!ado::LedgerLocation::Store(conf, "", error)) {
            ui::MessageBox(this, "设置保存失败！\n" + error);
            return;
        }
        EndDialog(ui::IDOK);
        return;
    }
    const CServerAddress address = Address();
    if (address.m_strDatabase.empty()) {
        ui::MessageBox(this, "请填写数据库名称！");
        return;
    }
    const std::string password = GetDlgItemText(IDC_PASSWORD);
    if (!password.empty() &&
        !ado::PasswordFile::Store(ado::PasswordFile::Path(),
                                  address.m_strHost.empty() ? "localhost" : address.m_strHost,
                                  address.m_strPort.empty() ? "5432" : address.m_strPort,
                                  address.m_strDatabase, address.m_strUser, password, error)) {
        ui::MessageBox(this, "密码保存失败！\n" + error);
        return;
    }
    if (!ado::LedgerLocation::Store(conf, address.ToUri(), error)) {
        ui::MessageBox(this, "设置保存失败！\n" + error);
        return;
    }
    EndDialog(ui::IDOK);
}
