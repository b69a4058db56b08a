#include "web/PhoneService.h"

#include "web/PrivateAddress.h"


CPhoneService::CPhoneService(std::string strFolder, std::string strConnection)
    : m_store(strFolder), m_certificates(strFolder), m_ledger(std::move(strConnection)) {}

CPhoneService::~CPhoneService() {
    Stop();
}

bool CPhoneService::Start(quint16 nPort, QList<QHostAddress> addresses, std::string& strError) {
    Stop();
    if (addresses.isEmpty())
        addresses = CPrivateAddress::LocalIPv4();
    if (!m_certificates.Prepare(addresses, strError))
        return false;
    m_pSite = std::make_unique<CPhoneSite>(m_store, m_ledger, m_certificates.AuthorityPem(),
                                           m_certificates.Fingerprint());
    m_pServer = std::make_unique<CWebServer>(
        [this](const WebRequest& request) { return m_pSite->Handle(request); },
        m_certificates.Tls());
    m_pServer->SetUploadCheck([this](const WebRequest& head) { return m_pSite->MayUpload(head); });
    m_pServer->SetTooLargeAnswer(m_pSite->TooLarge());
    if (!m_pServer->Listen(addresses, nPort, strError)) {
        Stop();
        return false;
    }
    m_addresses = addresses;
    return true;
}

void CPhoneService::Stop() {
    m_pServer.reset();
    m_pSite.reset();
    m_ledger.Database().Close();
    m_addresses.clear();
}

bool CPhoneService::IsRunning() const {
    return m_pServer && m_pServer->IsListening();
}

quint16 CPhoneService::Port() const {
    return m_pServer ? m_pServer->Port() : 0;
}

std::string CPhoneService::Url(const QHostAddress& address, quint16 nPort) {
    return "https://" + address.toString().toStdString() + ":" + std::to_string(nPort) + "/";
}

std::string CPhoneService::NewPairingAddress(qint64 nNow) {
    if (!IsRunning() || m_addresses.isEmpty())
        return {};
    const std::string code = m_store.NewPairingCode(nNow);
    if (code.empty())
        return {};
    return Url(m_addresses.first(), Port()) + "pair?code=" + code;
}

std::vector<std::string> CPhoneService::PageAddresses() const {
    std::vector<std::string> urls;
    for (const QHostAddress& address : m_addresses)
        urls.push_back(Url(address, Port()));
    return urls;
}
