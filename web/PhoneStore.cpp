#include "web/PhoneStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>

#include <sys/stat.h>

#include <algorithm>

namespace {

// Tokens and codes are long random texts, so one fast hash keeps them unguessable; a slow
// password hash would buy nothing here.
bool SameSecret(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CPhoneStore::CPhoneStore(std::string strFolder)
    : m_strPath(std::move(strFolder) + "/phone.json") {}

std::string CPhoneStore::HashSecret(const std::string& strSecret) {
    return QCryptographicHash::hash(QByteArray::fromStdString(strSecret),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

std::string CPhoneStore::RandomText(int nBytes) {
    QByteArray bytes(nBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)
        .toStdString();
}

void CPhoneStore::Reload() {
    const QFileInfo info(Text(m_strPath));
    const qint64 stamp = info.exists() ? info.lastModified().toMSecsSinceEpoch() ^ info.size() : 0;
    if (stamp == m_nLoadedStamp)
        return;
    m_nLoadedStamp = stamp;
    m_bEnabled = false;
    m_nPort = kDefaultPort;
    m_devices.clear();
    m_codes.clear();
    QFile file(Text(m_strPath));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject root = QJsonDocument::fromJson(file.read(1 << 20)).object();
    m_bEnabled = root.value(QStringLiteral("enabled")).toBool();
    const int port = root.value(QStringLiteral("port")).toInt(kDefaultPort);
    m_nPort = port > 0 && port < 65536 ? static_cast<quint16>(port) : kDefaultPort;
    for (const QJsonValue& value : root.value(QStringLiteral("devices")).toArray()) {
        const QJsonObject o = value.toObject();
        Device device;
        device.strId = o.value(QStringLiteral("id")).toString().toStdString();
        device.strUser = o.value(QStringLiteral("user")).toString().toStdString();
        device.strName = o.value(QStringLiteral("name")).toString().toStdString();
        device.strMember = o.value(QStringLiteral("member")).toString().toStdString();
        device.nPairedAt = o.value(QStringLiteral("pairedAt")).toInteger();
        device.nLastSeen = o.value(QStringLiteral("lastSeen")).toInteger();
        device.strTokenHash = o.value(QStringLiteral("tokenHash")).toString().toStdString();
        if (!device.strId.empty() && device.strTokenHash.size() == 64)
            m_devices.push_back(device);
    }
    for (const QJsonValue& value : root.value(QStringLiteral("codes")).toArray()) {
        const QJsonObject o = value.toObject();
        m_codes.push_back({o.value(QStringLiteral("hash")).toString().toStdString(),
                           o.value(QStringLiteral("expires")).toInteger()});
    }
}

bool CPhoneStore::Save() {
    QJsonArray devices;
    for (const Device& device : m_devices)
        devices.append(QJsonObject{{QStringLiteral("id"), Text(device.strId)},
                                   {QStringLiteral("user"), Text(device.strUser)},
                                   {QStringLiteral("name"), Text(device.strName)},
                                   {QStringLiteral("member"), Text(device.strMember)},
                                   {QStringLiteral("pairedAt"), device.nPairedAt},
                                   {QStringLiteral("lastSeen"), device.nLastSeen},
                                   {QStringLiteral("tokenHash"), Text(device.strTokenHash)}});
    QJsonArray codes;
    for (const Code& code : m_codes)
        codes.append(QJsonObject{{QStringLiteral("hash"), Text(code.strHash)},
                                 {QStringLiteral("expires"), code.nExpires}});
    const QJsonObject root{{QStringLiteral("enabled"), m_bEnabled},
                           {QStringLiteral("port"), m_nPort},
                           {QStringLiteral("devices"), devices},
                           {QStringLiteral("codes"), codes}};
    const QFileInfo info(Text(m_strPath));
    QDir().mkpath(info.absolutePath());
    ::chmod(QFile::encodeName(info.absolutePath()).constData(), 0700);
    QSaveFile file(Text(m_strPath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    if (!file.commit())
        return false;
    const QFileInfo saved(Text(m_strPath));
    m_nLoadedStamp = saved.lastModified().toMSecsSinceEpoch() ^ saved.size();
    return true;
}

bool CPhoneStore::Enabled() {
    Reload();
    return m_bEnabled;
}

quint16 CPhoneStore::Port() {
    Reload();
    return m_nPort;
}

bool CPhoneStore::SetEnabled(bool bEnabled, quint16 nPort) {
    Reload();
    m_bEnabled = bEnabled;
    m_nPort = nPort == 0 ? kDefaultPort : nPort;
    return Save();
}

std::string CPhoneStore::NewPairingCode(qint64 nNow) {
    Reload();
    std::erase_if(m_codes, [nNow](const Code& code) { return code.nExpires <= nNow; });
    const std::string code = RandomText(12);
    m_codes.push_back({HashSecret(code), nNow + kCodeSeconds});
    return Save() ? code : std::string();
}

bool CPhoneStore::IsPairingCode(const std::string& strCode, qint64 nNow) {
    Reload();
    const std::string hash = HashSecret(strCode);
    return std::any_of(m_codes.begin(), m_codes.end(), [&](const Code& code) {
        return code.nExpires > nNow && SameSecret(code.strHash, hash);
    });
}

bool CPhoneStore::TakePairingCode(const std::string& strCode, qint64 nNow) {
    if (!IsPairingCode(strCode, nNow))
        return false;
    const std::string hash = HashSecret(strCode);
    std::erase_if(m_codes, [&](const Code& code) {
        return code.nExpires <= nNow || SameSecret(code.strHash, hash);
    });
    return Save();
}

std::string CPhoneStore::Pair(const std::string& strUser, const std::string& strName,
                              qint64 nNow, std::string& strDeviceId) {
    Reload();
    Device device;
    device.strId = RandomText(9);
    device.strUser = strUser;
    device.strName = strName;
    device.nPairedAt = nNow;
    device.nLastSeen = nNow;
    const std::string token = RandomText(32);
    device.strTokenHash = HashSecret(token);
    m_devices.push_back(device);
    if (!Save())
        return {};
    strDeviceId = device.strId;
    return token;
}

bool CPhoneStore::FindByToken(const std::string& strToken, Device& device) {
    if (strToken.empty())
        return false;
    Reload();
    const std::string hash = HashSecret(strToken);
    for (const Device& paired : m_devices)
        if (SameSecret(paired.strTokenHash, hash)) {
            device = paired;
            return true;
        }
    return false;
}

void CPhoneStore::Touch(const std::string& strDeviceId, qint64 nNow, const std::string& strMember) {
    Reload();
    for (Device& device : m_devices) {
        if (device.strId != strDeviceId)
            continue;
        const bool bMember = !strMember.empty() && strMember != device.strMember;
        if (bMember)
            device.strMember = strMember;
        if (bMember || nNow - device.nLastSeen >= 60) {
            device.nLastSeen = nNow;
            Save();
        }
        return;
    }
}

bool CPhoneStore::Revoke(const std::string& strDeviceId) {
    Reload();
    std::erase_if(m_devices, [&](const Device& device) { return device.strId == strDeviceId; });
    return Save();
}

std::vector<CPhoneStore::Device> CPhoneStore::Devices() {
    Reload();
    return m_devices;
}
