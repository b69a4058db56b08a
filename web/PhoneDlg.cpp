#include "web/PhoneDlg.h"

#include "platform/skin/SkinEngine.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/MessageBox.h"
#include "web/PhoneCertificates.h"
#include "web/PhoneQrCode.h"
#include "web/PhoneService.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <memory>

namespace {

const char* const kCannotStart = "手机记账无法开启：";
const char* const kChoosePhone = "请先选择一部手机！";
const char* const kBadPort = "端口必须是1024到65535之间的数字！";

std::unique_ptr<CPhoneService>& Running() {
    static std::unique_ptr<CPhoneService> service;
    return service;
}

std::unique_ptr<CPhoneService> NewService() {
    return std::make_unique<CPhoneService>(CPhoneCertificates::DefaultFolder(),
                                           ui::LoadResourceString(102));
}

std::string Time(qint64 nSeconds) {
    return nSeconds == 0 ? std::string("—")
                         : QDateTime::fromSecsSinceEpoch(nSeconds)
                               .toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                               .toStdString();
}

// The code drawn as black modules on white with the quiet zone readers need, in whole
// pixels per module so no module blurs.
QPixmap QrPixmap(const std::string& strText, int nSide) {
    const std::vector<std::vector<bool>> modules = CPhoneQrCode::Modules(strText);
    if (modules.empty())
        return {};
    const int count = static_cast<int>(modules.size()) + 8;
    const int scale = std::max(1, nSide / count);
    QImage image(count * scale, count * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (std::size_t y = 0; y < modules.size(); ++y)
        for (std::size_t x = 0; x < modules.size(); ++x)
            if (modules[y][x])
                painter.fillRect((static_cast<int>(x) + 4) * scale, (static_cast<int>(y) + 4) * scale,
                                 scale, scale, Qt::black);
    return QPixmap::fromImage(image);
}

} // namespace

CPhoneDlg::CPhoneDlg(QWidget* parent) : ui::Dialog(IDD, parent) {
    OnCommand(IDC_ENABLE, [this] { OnEnable(); });
    OnCommand(IDC_APPLY, [this] { OnApply(); });
    OnCommand(IDC_NEW_CODE, [this] { OnNewCode(); });
    OnCommand(IDC_UNPAIR, [this] { OnUnpair(); });
}

CPhoneService* CPhoneDlg::Service() {
    return Running().get();
}

void CPhoneDlg::StartIfEnabled() {
    std::unique_ptr<CPhoneService> service = NewService();
    if (!service->Store().Enabled())
        return;
    std::string error;
    // A port taken or a certificate that cannot be made leaves the page off; the window
    // says why when it is opened.
    if (service->Start(service->Store().Port(), {}, error))
        Running() = std::move(service);
}

void CPhoneDlg::StopService() {
    Running().reset();
}

bool CPhoneDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listPhones = Item<ui::ListCtrl>(IDC_PHONES);
    m_listPhones->SetExtendedStyle(ui::LVS_EX_FULLROWSELECT | ui::LVS_EX_GRIDLINES);
    int column = 0;
    for (const auto& [heading, width] : {std::pair{"成员", 90}, {"手机名称", 120},
                                         {"配对时间", 130}, {"最后使用", 130}})
        m_listPhones->InsertColumn(column++, heading, ui::LVCFMT_LEFT, width);
    // Several home-network addresses, a long pairing address and the fingerprint wrap
    // inside their boxes instead of running past the window's edge.
    for (const int id : {IDC_ADDRESSES, IDC_PAIRING, IDC_FINGERPRINT}) {
        if (auto* label = Item<QLabel>(id)) {
            label->setWordWrap(true);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        }
    }
    if (auto* qr = Item<QLabel>(IDC_QR))
        qr->setAlignment(Qt::AlignCenter);
    const std::unique_ptr<CPhoneService> settings = NewService();
    SetDlgItemText(IDC_PORT, std::to_string(settings->Store().Port()));
    Item<QAbstractButton>(IDC_ENABLE)->setChecked(Service() != nullptr);
    if (Service())
        m_strPairing = Service()->NewPairingAddress(QDateTime::currentSecsSinceEpoch());
    ShowState();
    return true;
}

bool CPhoneDlg::Start(std::string& strError) {
    const std::string text = GetDlgItemText(IDC_PORT);
    const int port = text.empty() || text.size() > 5 ? 0 : std::stoi(text);
    if (port < 1024 || port > 65535) {
        strError = kBadPort;
        return false;
    }
    Running().reset();
    std::unique_ptr<CPhoneService> service = NewService();
    if (!service->Start(static_cast<quint16>(port), {}, strError))
        return false;
    service->Store().SetEnabled(true, static_cast<quint16>(port));
    Running() = std::move(service);
    m_strPairing = Service()->NewPairingAddress(QDateTime::currentSecsSinceEpoch());
    return true;
}

void CPhoneDlg::OnEnable() {
    const bool bOn = Item<QAbstractButton>(IDC_ENABLE)->isChecked();
    if (bOn) {
        std::string error;
        if (!Start(error)) {
            Item<QAbstractButton>(IDC_ENABLE)->setChecked(false);
            ui::MessageBox(this, error == kBadPort ? error : kCannotStart + error);
        }
    } else {
        Running().reset();
        m_strPairing.clear();
        const std::unique_ptr<CPhoneService> settings = NewService();
        settings->Store().SetEnabled(false, settings->Store().Port());
    }
    ShowState();
}

void CPhoneDlg::OnApply() {
    if (!Service()) {
        OnEnable();
        return;
    }
    std::string error;
    if (!Start(error)) {
        Item<QAbstractButton>(IDC_ENABLE)->setChecked(false);
        ui::MessageBox(this, error == kBadPort ? error : kCannotStart + error);
    }
    ShowState();
}

void CPhoneDlg::OnNewCode() {
    if (Service())
        m_strPairing = Service()->NewPairingAddress(QDateTime::currentSecsSinceEpoch());
    ShowState();
}

void CPhoneDlg::OnUnpair() {
    const int row = m_listPhones->GetFirstSelectedItem();
    const std::unique_ptr<CPhoneService> settings = NewService();
    const std::vector<CPhoneStore::Device> devices = settings->Store().Devices();
    if (row < 0 || row >= static_cast<int>(devices.size())) {
        ui::MessageBox(this, kChoosePhone);
        return;
    }
    settings->Store().Revoke(devices[static_cast<std::size_t>(row)].strId);
    FillPhones();
}

void CPhoneDlg::ShowState() {
    CPhoneService* service = Service();
    std::string addresses;
    if (service)
        for (const std::string& url : service->PageAddresses())
            addresses += (addresses.empty() ? "" : "    ") + url;
    SetDlgItemText(IDC_ADDRESSES, service ? addresses : "（未开启）");
    auto* qr = Item<QLabel>(IDC_QR);
    if (service && !m_strPairing.empty()) {
        qr->setPixmap(QrPixmap(m_strPairing, std::min(qr->width(), qr->height())));
        // A zero-width space lets the long address wrap after its '?'.
        std::string shown = m_strPairing;
        if (const std::size_t query = shown.find('?'); query != std::string::npos)
            shown.insert(query + 1, "\u200b");
        SetDlgItemText(IDC_PAIRING, "用手机扫描二维码配对，或在手机浏览器中打开：\n" + shown +
                                        "\n配对码5分钟内有效，只能配对一部手机。");
    } else {
        qr->clear();
        SetDlgItemText(IDC_PAIRING, "开启手机记账后，用手机扫描这里的二维码配对。");
    }
    SetDlgItemText(IDC_FINGERPRINT, service ? service->Certificates().Fingerprint() : "");
    EnableItem(IDC_NEW_CODE, service != nullptr);
    FillPhones();
}

void CPhoneDlg::FillPhones() {
    const std::unique_ptr<CPhoneService> settings = NewService();
    const std::vector<CPhoneStore::Device> devices = settings->Store().Devices();
    m_listPhones->SetRedraw(false);
    m_listPhones->DeleteAllItems();
    for (std::size_t row = 0; row < devices.size(); ++row) {
        const CPhoneStore::Device& device = devices[row];
        m_listPhones->InsertItem(static_cast<int>(row),
                                 {device.strMember.empty() ? device.strUser : device.strMember,
                                  device.strName, Time(device.nPairedAt), Time(device.nLastSeen)},
                                 static_cast<std::uint32_t>(row));
    }
    m_listPhones->SetRedraw(true);
}
