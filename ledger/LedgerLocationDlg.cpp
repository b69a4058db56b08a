#include "ledger/LedgerLocationDlg.h"

#include "platform/ado/LedgerLocation.h"
#include "platform/ado/pg/PasswordFile.h"
#include "platform/ado/pg/ServerLedger.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/MessageBox.h"

#include <QRadioButton>

namespace {

// What a connection test found, in the words the user reads.
const char* TestText(ado::ServerLedger::Check check) {
    switch (check) {
    case ado::ServerLedger::Check::Ok:
        return "连接成功，账本可以使用！";
    case ado::ServerLedger::Check::Unreachable:
        return "连不上服务器，请检查主机、端口和网络，并确认服务器已经开机！";
    case ado::ServerLedger::Check::WrongPassword:
        return "服务器拒绝登录，用户名或者密码错误！";
    case ado::ServerLedger::Check::NoDatabase:
        return "服务器上没有这个数据库，请检查数据库名称！";
    case ado::ServerLedger::Check::NotLedger:
        return "这个数据库里没有银匣账本，请先用 coffer-initdb --server 建立账本！";
    default:
        return "连接失败！";
    }
}

} // namespace

CLedgerLocationDlg::CLedgerLocationDlg(QWidget* parent) : ui::Dialog(IDD, parent) {
    OnCommand(IDC_FILE, [this] { ShowChoice(); });
    OnCommand(IDC_SERVER, [this] { ShowChoice(); });
    OnCommand(IDC_TEST, [this] { OnTest(); });
}

bool CLedgerLocationDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    CServerAddress address;
    const bool bServer = CServerAddress::FromUri(
        ado::LedgerLocation::Read(ado::LedgerLocation::ConfigFile()), address);
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
    return address;
}

std::string CLedgerLocationDlg::TestUri() const {
    // Without a typed password, ~/.pgpass gives it, as to every client.
    return Address().ToUri(GetDlgItemText(IDC_PASSWORD));
}

void CLedgerLocationDlg::OnTest() {
    std::string detail;
    const ado::ServerLedger::Check check = ado::ServerLedger::Test(TestUri(), detail);
    std::string text = TestText(check);
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
