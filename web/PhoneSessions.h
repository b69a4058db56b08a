#pragma once

#include <QtGlobal>

#include <map>
#include <string>
#include <vector>

/// Sessions of the phone page, in memory only: each holds its anti-forgery token and, once
/// the phone shows a paired device's token, that device. Failed logins are counted here
/// too, per device and per address.
class CPhoneSessions {
public:
    struct Session {
        std::string strCsrf;
        std::string strDeviceId; // empty until the phone shows a paired device's token
        qint64 nLastUse = 0;
    };

    static constexpr qint64 kIdleSeconds = 12 * 60 * 60;
    static constexpr int kMaxSessions = 2000;
    static constexpr int kMaxFailures = 5;
    static constexpr qint64 kLockSeconds = 15 * 60;

    /// The session of `strId`, or a new one (its id in `strId`) when there is none.
    Session& Use(std::string& strId, qint64 nNow, bool& bNew);
    /// Drops a session (after pairing, so a new id goes with the new standing).
    void Drop(const std::string& strId);

    /// True when the form's token is the session's own.
    static bool CsrfMatches(const Session& session, const std::string& strToken);

    /// True while logins from any of `keys` are locked.
    bool IsLocked(const std::vector<std::string>& keys, qint64 nNow) const;
    /// Counts a failed login against each key; the fifth within the lock time locks it.
    void Failed(const std::vector<std::string>& keys, qint64 nNow);
    void Succeeded(const std::vector<std::string>& keys);

private:
    struct Failures {
        int nCount = 0;
        qint64 nFirst = 0;
        qint64 nLockedUntil = 0;
    };
    void Prune(qint64 nNow);

    std::map<std::string, Session> m_sessions;
    std::map<std::string, Failures> m_failures;
};
