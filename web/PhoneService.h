#pragma once

#include "web/PhoneCertificates.h"
#include "web/PhoneLedger.h"
#include "web/PhoneSite.h"
#include "web/PhoneStore.h"
#include "web/WebServer.h"

#include <QHostAddress>
#include <QList>

#include <memory>
#include <string>

/// The phone page as one running thing: its certificates, its store, the ledger and the
/// server, for the window and for coffer-serve alike.
class CPhoneService {
public:
    /// Settings in `strFolder`; records in the ledger named by `strConnection`.
    CPhoneService(std::string strFolder, std::string strConnection);
    ~CPhoneService();

    /// Starts serving on `addresses` (every private IPv4 address when empty) at `nPort`.
    /// False with `strError` when the certificates or the port fail.
    bool Start(quint16 nPort, QList<QHostAddress> addresses, std::string& strError);
    void Stop();
    bool IsRunning() const;
    quint16 Port() const;
    const QList<QHostAddress>& Addresses() const { return m_addresses; }

    /// A new pairing code, valid from `nNow` (seconds since the epoch), and the address that
    /// carries it (the first home address, so a phone can reach it).
    std::string NewPairingAddress(qint64 nNow);
    /// "https://address:port/" for each address served.
    std::vector<std::string> PageAddresses() const;

    CPhoneStore& Store() { return m_store; }
    CPhoneCertificates& Certificates() { return m_certificates; }
    CPhoneSite* Site() { return m_pSite.get(); }
    CWebServer* Server() { return m_pServer.get(); }

private:
    static std::string Url(const QHostAddress& address, quint16 nPort);

    CPhoneStore m_store;
    CPhoneCertificates m_certificates;
    CPhoneLedger m_ledger;
    std::unique_ptr<CPhoneSite> m_pSite;
    std::unique_ptr<CWebServer> m_pServer;
    QList<QHostAddress> m_addresses;
};
