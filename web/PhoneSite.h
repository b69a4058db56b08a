#pragma once

#include "web/PhoneLedger.h"
#include "web/PhoneSessions.h"
#include "web/PhoneStore.h"
#include "web/WebMessage.h"

#include <QByteArray>

#include <functional>
#include <string>

/// The phone page's requests: decode and check, call the ledger, render. Thin on purpose;
/// it knows no socket and no server, so tests call it with plain requests.
class CPhoneSite {
public:
    using Clock = std::function<qint64()>;

    /// `store` holds the pairings; `ledger` is the household ledger; `authorityPem` and
    /// `strFingerprint` the certificate the phone is offered.
    CPhoneSite(CPhoneStore& store, CPhoneLedger& ledger, QByteArray authorityPem,
               std::string strFingerprint);

    /// "Now" in seconds since the epoch; the system clock unless a test sets one.
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    WebResponse Handle(const WebRequest& request);
    /// Whether a request, by its head alone, may bring photos: a paired phone's 记一笔 or
    /// 更正 sent as a form with files.
    bool MayUpload(const WebRequest& head);
    /// The answer to a request whose body is over the server's limit.
    WebResponse TooLarge() const;

    /// The security headers every answer carries.
    static void AddSecurityHeaders(WebResponse& response);

private:
    struct Visit; // one request's session and device

    WebResponse EntryPage(Visit& visit, const std::string& strMessage, bool bError,
                          const CPhoneLedger::Entry* kept);
    WebResponse OnAdd(Visit& visit, const web::Fields& form, const std::vector<std::string>& pictures);
    WebResponse OnCorrect(Visit& visit, const web::Fields& form,
                          const std::vector<std::string>& pictures);
    WebResponse OnDelete(Visit& visit);
    WebResponse OnPairPage(Visit& visit, const web::Fields& query);
    WebResponse OnPair(Visit& visit, const web::Fields& form);
    WebResponse Notice(Visit& visit, int nStatus, const std::string& strMessage);
    WebResponse Finish(Visit& visit, WebResponse response);
    std::string PreselectedMember(const CPhoneStore::Device& device,
                                  const std::vector<std::string>& members) const;

    CPhoneStore& m_store;
    CPhoneLedger& m_ledger;
    CPhoneSessions m_sessions;
    QByteArray m_authorityPem;
    std::string m_strFingerprint;
    Clock m_clock;
};
