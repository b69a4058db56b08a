#include "web/PhoneSessions.h"

#include "web/PhoneStore.h"

CPhoneSessions::Session& CPhoneSessions::Use(std::string& strId, qint64 nNow, bool& bNew) {
    auto found = m_sessions.find(strId);
    if (found != m_sessions.end() && nNow - found->second.nLastUse <= kIdleSeconds) {
        found->second.nLastUse = nNow;
        bNew = false;
        return found->second;
    }
    if (found != m_sessions.end())
        m_sessions.erase(found);
    if (static_cast<int>(m_sessions.size()) >= kMaxSessions)
        Prune(nNow);
    strId = CPhoneStore::RandomText(32);
    Session& session = m_sessions[strId];
    session.strCsrf = CPhoneStore::RandomText(32);
    session.nLastUse = nNow;
    bNew = true;
    return session;
}

void CPhoneSessions::Drop(const std::string& strId) {
    m_sessions.erase(strId);
}

bool CPhoneSessions::CsrfMatches(const Session& session, const std::string& strToken) {
    if (session.strCsrf.empty() || strToken.size() != session.strCsrf.size())
        return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < strToken.size(); ++i)
        diff |= static_cast<unsigned char>(strToken[i] ^ session.strCsrf[i]);
    return diff == 0;
}

bool CPhoneSessions::IsLocked(const std::vector<std::string>& keys, qint64 nNow) const {
    for (const std::string& key : keys) {
        const auto found = m_failures.find(key);
        if (found != m_failures.end() && found->second.nLockedUntil > nNow)
            return true;
    }
    return false;
}

void CPhoneSessions::Failed(const std::vector<std::string>& keys, qint64 nNow) {
    for (const std::string& key : keys) {
        if (key.empty())
            continue;
        Failures& failures = m_failures[key];
        if (nNow - failures.nFirst > kLockSeconds) {
            failures.nCount = 0;
            failures.nFirst = nNow;
        }
        if (++failures.nCount >= kMaxFailures) {
            failures.nLockedUntil = nNow + kLockSeconds;
            failures.nCount = 0;
            failures.nFirst = nNow;
        }
    }
    // Only locks still running and recent counts are worth keeping.
    if (m_failures.size() > static_cast<std::size_t>(kMaxSessions))
        std::erase_if(m_failures, [nNow](const auto& entry) {
            return entry.second.nLockedUntil <= nNow && nNow - entry.second.nFirst > kLockSeconds;
        });
}

void CPhoneSessions::Succeeded(const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
        const auto found = m_failures.find(key);
        if (found != m_failures.end() && found->second.nLockedUntil == 0)
            m_failures.erase(found);
    }
}

void CPhoneSessions::Prune(qint64 nNow) {
    std::erase_if(m_sessions, [nNow](const auto& entry) {
        return nNow - entry.second.nLastUse > kIdleSeconds;
    });
    // Still full: anonymous sessions are the cheapest to lose.
    if (static_cast<int>(m_sessions.size()) >= kMaxSessions)
        std::erase_if(m_sessions, [](const auto& entry) { return entry.second.strDeviceId.empty(); });
}
