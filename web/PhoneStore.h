#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

/// What the phone page keeps with the settings, never in the ledger: whether it is on, its
/// port, the paired phones (the hash of each device token, never the token) and the pairing
/// codes not yet used (hashed too). One file, mode 0600, read again whenever another
/// process (the headless server, the window) has changed it.
class CPhoneStore {
public:
    struct Device {
        std::string strId;   // shown nowhere; names the device in the ledger's submissions
        std::string strUser; // the Coffer user who paired it
        std::string strName; // the device name the user gave
        std::string strMember; // the member last recorded for
        qint64 nPairedAt = 0;  // seconds since the epoch
        qint64 nLastSeen = 0;
        std::string strTokenHash;
    };

    static constexpr qint64 kCodeSeconds = 5 * 60;
    static constexpr quint16 kDefaultPort = 8443;

    /// The store in `strFolder` (the settings folder), file phone.json.
    explicit CPhoneStore(std::string strFolder);

    bool Enabled();
    quint16 Port();
    /// Remembers the switch and the port. False when the file cannot be written.
    bool SetEnabled(bool bEnabled, quint16 nPort);

    /// A new one-time pairing code valid for kCodeSeconds from `nNow`.
    std::string NewPairingCode(qint64 nNow);
    /// True when `strCode` is a pairing code not used and not expired at `nNow`.
    bool IsPairingCode(const std::string& strCode, qint64 nNow);
    /// Uses the code up: true once, when it was valid.
    bool TakePairingCode(const std::string& strCode, qint64 nNow);

    /// Pairs a device for `strUser`: returns its token (given to the phone once, kept
    /// nowhere here). Empty when the store cannot be written.
    std::string Pair(const std::string& strUser, const std::string& strName, qint64 nNow,
                     std::string& strDeviceId);
    /// The device a token belongs to; false for an unknown or revoked one.
    bool FindByToken(const std::string& strToken, Device& device);
    /// Notes that a device was seen (written at most once a minute) and the member it
    /// recorded for (written at once).
    void Touch(const std::string& strDeviceId, qint64 nNow, const std::string& strMember = "");
    /// Unpairs a device: its token opens nothing from now on.
    bool Revoke(const std::string& strDeviceId);
    std::vector<Device> Devices();

    /// The hash kept for a token or code.
    static std::string HashSecret(const std::string& strSecret);
    /// `nBytes` random bytes from the system's generator, as base64url text.
    static std::string RandomText(int nBytes);

private:
    struct Code {
        std::string strHash;
        qint64 nExpires = 0;
    };
    void Reload();
    bool Save();

    std::string m_strPath;
    qint64 m_nLoadedStamp = -1;
    bool m_bEnabled = false;
    quint16 m_nPort = kDefaultPort;
    std::vector<Device> m_devices;
    std::vector<Code> m_codes;
};
