#include "web/PhoneCertificates.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kAuthorityFile = "phone-ca.pem";
const char* const kAuthorityKeyFile = "phone-ca.key";
const char* const kServerFile = "phone-server.pem";
const char* const kServerKeyFile = "phone-server.key";

constexpr int kServerDays = 397;
constexpr int kRenewDays = 30;

// One config for both certificates; the extension section chosen on the command line
// decides which kind a certificate is.
QByteArray OpenSslConfig(const QList<QHostAddress>& addresses) {
    QByteArray config = "[req]\ndistinguished_name = dn\nprompt = no\n"
                        "[dn]\nO = Coffer\nCN = Coffer phone page\n"
                        "[ca]\nbasicConstraints = critical,CA:TRUE,pathlen:0\n"
                        "keyUsage = critical,keyCertSign,cRLSign\n"
                        "subjectKeyIdentifier = hash\n"
                        "[server]\nbasicConstraints = critical,CA:FALSE\n"
                        "keyUsage = critical,digitalSignature\nextendedKeyUsage = serverAuth\n"
                        "subjectKeyIdentifier = hash\nauthorityKeyIdentifier = keyid\n"
                        "subjectAltName = @alt\n[alt]\nDNS.1 = localhost\n";
    int n = 0;
    for (const QHostAddress& address : addresses)
        config += "IP." + QByteArray::number(++n) + " = " + address.toString().toLatin1() + "\n";
    return config;
}

bool RunOpenSsl(const QStringList& arguments, std::string& strError) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    // The keys are written by the child: no one else may ever read them, whatever the umask.
    openssl.setChildProcessModifier([] { ::umask(077); });
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForStarted(10000)) {
        strError = "the openssl command cannot be started: " + openssl.errorString().toStdString();
        return false;
    }
    openssl.waitForFinished(60000);
    if (openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0) {
        strError = "openssl failed: " + openssl.readAll().trimmed().toStdString();
        return false;
    }
    return true;
}

QStringList NewKeyArguments(const QString& keyPath, const QString& certPath) {
    return {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
            QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certPath};
}

// Moves a finished file into the settings folder with mode 0600.
bool Install(const QString& from, const QString& to, std::string& strError) {
    if (::chmod(QFile::encodeName(from).constData(), 0600) != 0 ||
        ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        strError = "cannot store " + to.toStdString();
        return false;
    }
    return true;
}

} // namespace

CPhoneCertificates::CPhoneCertificates(std::string strFolder) : m_strFolder(std::move(strFolder)) {}

std::string CPhoneCertificates::DefaultFolder() {
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QString base = config.isEmpty() ? QDir::homePath() + QStringLiteral("/.config")
                                          : QString::fromLocal8Bit(config);
    return (base + QStringLiteral("/coffer")).toStdString();
}

bool CPhoneCertificates::Prepare(const QList<QHostAddress>& addresses, std::string& strError) {
    const QByteArray folder = QFile::encodeName(QString::fromStdString(m_strFolder));
    QDir().mkpath(QString::fromStdString(m_strFolder));
    if (::chmod(folder.constData(), 0700) != 0) {
        strError = "cannot keep " + m_strFolder + " private";
        return false;
    }
    const QDir dir(QString::fromStdString(m_strFolder));
    if (!QFile::exists(dir.filePath(kAuthorityFile)) || !QFile::exists(dir.filePath(kAuthorityKeyFile))) {
        if (!MakeAuthority(strError))
            return false;
    }
    if (!Load(strError) || !Covers(addresses)) {
        if (!MakeServer(addresses, strError) || !Load(strError))
            return false;
    }
    return true;
}

bool CPhoneCertificates::MakeAuthority(std::string& strError) {
    const QDir dir(QString::fromStdString(m_strFolder));
    QTemporaryDir work(dir.filePath(QStringLiteral("phone-XXXXXX")));
    QFile config(work.filePath(QStringLiteral("openssl.cnf")));
    if (!work.isValid() || !config.open(QIODevice::WriteOnly) || config.write(OpenSslConfig({})) < 0)
        return (strError = "cannot write in " + m_strFolder), false;
    config.close();
    QStringList arguments{QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-new"),
                          QStringLiteral("-config"), config.fileName(),
                          QStringLiteral("-extensions"), QStringLiteral("ca"),
                          QStringLiteral("-days"), QStringLiteral("3650")};
    arguments += NewKeyArguments(work.filePath(QStringLiteral("ca.key")),
                                 work.filePath(QStringLiteral("ca.pem")));
    return RunOpenSsl(arguments, strError) &&
           Install(work.filePath(QStringLiteral("ca.key")), dir.filePath(kAuthorityKeyFile), strError) &&
           Install(work.filePath(QStringLiteral("ca.pem")), dir.filePath(kAuthorityFile), strError);
}

bool CPhoneCertificates::MakeServer(const QList<QHostAddress>& addresses, std::string& strError) {
    const QDir dir(QString::fromStdString(m_strFolder));
    QTemporaryDir work(dir.filePath(QStringLiteral("phone-XXXXXX")));
    QFile config(work.filePath(QStringLiteral("openssl.cnf")));
    if (!work.isValid() || !config.open(QIODevice::WriteOnly) ||
        config.write(OpenSslConfig(addresses)) < 0)
        return (strError = "cannot write in " + m_strFolder), false;
    config.close();
    QStringList arguments{QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-new"),
                          QStringLiteral("-config"), config.fileName(),
                          QStringLiteral("-extensions"), QStringLiteral("server"),
                          QStringLiteral("-subj"), QStringLiteral("/O=Coffer/CN=Coffer phone page server"),
                          QStringLiteral("-CA"), dir.filePath(kAuthorityFile),
                          QStringLiteral("-CAkey"), dir.filePath(kAuthorityKeyFile),
                          QStringLiteral("-days"), QString::number(kServerDays)};
    arguments += NewKeyArguments(work.filePath(QStringLiteral("server.key")),
                                 work.filePath(QStringLiteral("server.pem")));
    return RunOpenSsl(arguments, strError) &&
           Install(work.filePath(QStringLiteral("server.key")), dir.filePath(kServerKeyFile), strError) &&
           Install(work.filePath(QStringLiteral("server.pem")), dir.filePath(kServerFile), strError);
}

bool CPhoneCertificates::Load(std::string& strError) {
    const QDir dir(QString::fromStdString(m_strFolder));
    auto read = [&dir](const char* name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QList<QSslCertificate> authority = QSslCertificate::fromData(read(kAuthorityFile));
    const QList<QSslCertificate> server = QSslCertificate::fromData(read(kServerFile));
    const QSslKey key(read(kServerKeyFile), QSsl::Ec);
    if (authority.isEmpty()) {
        strError = "the phone page's certificate authority cannot be read";
        return false;
    }
    m_authority = authority.first();
    m_server = server.isEmpty() ? QSslCertificate() : server.first();
    m_key = key;
    if (m_server.isNull() || m_key.isNull() || m_server.issuerInfo(QSslCertificate::CommonName) !=
                                                   m_authority.subjectInfo(QSslCertificate::CommonName)) {
        strError = "the phone page's server certificate cannot be read";
        return false;
    }
    return true;
}

bool CPhoneCertificates::Covers(const QList<QHostAddress>& addresses) const {
    if (m_server.expiryDate() < QDateTime::currentDateTimeUtc().addDays(kRenewDays))
        return false;
    const QStringList named = m_server.subjectAlternativeNames().values(QSsl::IpAddressEntry);
    for (const QHostAddress& address : addresses)
        if (!named.contains(address.toString()))
            return false;
    return true;
}

QSslConfiguration CPhoneCertificates::Tls() const {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain({m_server, m_authority});
    tls.setPrivateKey(m_key);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

std::string CPhoneCertificates::Fingerprint() const {
    return m_authority.digest(QCryptographicHash::Sha256).toHex(':').toUpper().toStdString();
}
