#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>

#include <string>

/// The phone page's private certificate authority and its server certificate for this
/// computer's local addresses, kept with the settings (keys 0600 in a 0700 folder, never in
/// a ledger backup). Qt Network reads keys and certificates but cannot make them, so they
/// are made by Debian's openssl command, run as a process without a shell.
class CPhoneCertificates {
public:
    /// Certificates kept in `strFolder` (the settings folder).
    explicit CPhoneCertificates(std::string strFolder);

    /// $XDG_CONFIG_HOME/coffer, or ~/.config/coffer.
    static std::string DefaultFolder();

    /// Makes the authority on first use, and a new server certificate when the one there
    /// does not name every address of `addresses` or runs out within a month; loads both.
    /// False with `strError` when they cannot be made or read.
    bool Prepare(const QList<QHostAddress>& addresses, std::string& strError);

    /// The server's TLS settings (TLS 1.2 and newer), after Prepare.
    QSslConfiguration Tls() const;
    /// The authority's certificate, for the phone to trust once.
    QByteArray AuthorityPem() const { return m_authority.toPem(); }
    QSslCertificate Authority() const { return m_authority; }
    /// The authority's SHA-256 fingerprint as "AB:CD:…", to compare with the phone's.
    std::string Fingerprint() const;

private:
    bool MakeAuthority(std::string& strError);
    bool MakeServer(const QList<QHostAddress>& addresses, std::string& strError);
    bool Load(std::string& strError);
    bool Covers(const QList<QHostAddress>& addresses) const;

    std::string m_strFolder;
    QSslCertificate m_authority;
    QSslCertificate m_server;
    QSslKey m_key;
};
