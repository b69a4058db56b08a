#include "web/PhoneSite.h"

#include "platform/ole/OleDateTime.h"
#include "users/UserLogin.h"
#include "web/FormDecoding.h"
#include "web/MultipartForm.h"
#include "web/PhonePage.h"
#include "web/PhoneTexts.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>

namespace {

const char* const kSessionCookie = "__Host-coffer_session";
const char* const kDeviceCookie = "__Host-coffer_device";
// About thirteen months: a paired phone stays paired until the user says otherwise or it
// is unused for that long.
const char* const kDeviceMaxAge = "34560000";

constexpr std::size_t kMaxUserBytes = 64;
constexpr std::size_t kMaxPasswordBytes = 128;
constexpr std::size_t kMaxDeviceCharacters = 40;

std::string Field(const web::Fields& fields, const char* szName) {
    const auto found = fields.find(szName);
    return found == fields.end() ? std::string() : found->second;
}

std::string Cookie(const char* szName, const std::string& value, const char* szMaxAge) {
    std::string cookie = std::string(szName) + "=" + value + "; Path=/";
    if (szMaxAge)
        cookie += std::string("; Max-Age=") + szMaxAge;
    return cookie + "; HttpOnly; Secure; SameSite=Strict";
}

bool IsMultipart(const std::string& type) {
    return type.rfind("multipart/form-data", 0) == 0;
}

QByteArray Resource(const char* szPath) {
    QFile file(QString::fromLatin1(szPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

struct CPhoneSite::Visit {
    qint64 nNow = 0;
    std::string strSessionId;
    bool bNewSession = false;
    CPhoneSessions::Session* pSession = nullptr;
    bool bPaired = false;
    bool bForgetDevice = false; // the phone shows a token that opens nothing
    CPhoneStore::Device device;
    std::string strNewDeviceToken;
    std::string strPeer;
};

CPhoneSite::CPhoneSite(CPhoneStore& store, CPhoneLedger& ledger, QByteArray authorityPem,
                       std::string strFingerprint)
    : m_store(store), m_ledger(ledger), m_authorityPem(std::move(authorityPem)),
      m_strFingerprint(std::move(strFingerprint)),
      m_clock([] { return QDateTime::currentSecsSinceEpoch(); }) {}

bool CPhoneSite::MayUpload(const WebRequest& head) {
    if (head.strMethod != "POST" || (head.strPath != "/add" && head.strPath != "/correct") ||
        !IsMultipart(head.Header("content-type")))
        return false;
    CPhoneStore::Device device;
    return m_store.FindByToken(Field(web::DecodeCookies(head.Header("cookie")), kDeviceCookie),
                               device);
}

WebResponse CPhoneSite::TooLarge() const {
    WebResponse response;
    response.nStatus = 413;
    response.strBody = PhonePage::Notice(PhoneTexts::kTooLarge, m_strFingerprint);
    response.headers.emplace_back("Cache-Control", "no-store");
    AddSecurityHeaders(response);
    return response;
}

void CPhoneSite::AddSecurityHeaders(WebResponse& response) {
    response.headers.emplace_back(
        "Content-Security-Policy",
        "default-src 'none'; style-src 'self'; script-src 'self'; img-src 'self'; "
        "form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
    response.headers.emplace_back("X-Frame-Options", "DENY");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    // same-origin, not no-referrer: with no referrer a browser sends "Origin: null" on its own
    // forms, and the origin check below needs the real one.
    response.headers.emplace_back("Referrer-Policy", "same-origin");
    response.headers.emplace_back("Cross-Origin-Opener-Policy", "same-origin");
    response.headers.emplace_back("Cross-Origin-Resource-Policy", "same-origin");
}

WebResponse CPhoneSite::Handle(const WebRequest& request) {
    WebResponse response;
    // What holds no record and no secret: the style, the script, the certificate.
    if (request.strMethod == "GET" &&
        (request.strPath == "/phone.css" || request.strPath == "/phone.js" ||
         request.strPath == "/ca.crt")) {
        if (request.strPath == "/ca.crt") {
            response.strContentType = "application/x-x509-ca-cert";
            response.strBody = m_authorityPem.toStdString();
            response.headers.emplace_back("Content-Disposition",
                                          "attachment; filename=\"coffer-ca.crt\"");
        } else {
            const bool bCss = request.strPath == "/phone.css";
            response.strContentType = bCss ? "text/css; charset=utf-8"
                                           : "text/javascript; charset=utf-8";
            response.strBody = Resource(bCss ? ":/web/phone.css" : ":/web/phone.js").toStdString();
        }
        response.headers.emplace_back("Cache-Control", "no-cache");
        AddSecurityHeaders(response);
        return response;
    }

    Visit visit;
    visit.nNow = m_clock();
    visit.strPeer = request.strPeer;
    const web::Fields cookies = web::DecodeCookies(request.Header("cookie"));
    visit.strSessionId = Field(cookies, kSessionCookie);
    visit.pSession = &m_sessions.Use(visit.strSessionId, visit.nNow, visit.bNewSession);
    const std::string token = Field(cookies, kDeviceCookie);
    visit.bPaired = m_store.FindByToken(token, visit.device);
    visit.bForgetDevice = !token.empty() && !visit.bPaired;
    // A session belongs to one device: one that was revoked, or another token, starts over.
    if (visit.pSession->strDeviceId != (visit.bPaired ? visit.device.strId : std::string())) {
        m_sessions.Drop(visit.strSessionId);
        visit.strSessionId.clear();
        visit.pSession = &m_sessions.Use(visit.strSessionId, visit.nNow, visit.bNewSession);
        visit.pSession->strDeviceId = visit.bPaired ? visit.device.strId : std::string();
    }

    if (request.strMethod != "GET" && request.strMethod != "POST")
        return Notice(visit, 405, PhoneTexts::kBadRequest);

    const bool bPage = request.strPath == "/" || request.strPath == "/add" ||
                       request.strPath == "/correct" || request.strPath == "/delete";
    if (!bPage && request.strPath != "/pair")
        return Notice(visit, 404, PhoneTexts::kNotFound);
    // An unpaired phone learns only that, whatever it sends.
    if (bPage && !visit.bPaired)
        return Notice(visit, 403, PhoneTexts::kNotPaired);

    web::Fields form;
    std::vector<std::string> pictures;
    if (request.strMethod == "POST") {
        const std::string type = request.Header("content-type");
        std::vector<web::UploadedFile> files;
        const bool bRead = IsMultipart(type)
                               ? web::DecodeMultipart(type, request.strBody, form, files)
                               : type.rfind("application/x-www-form-urlencoded", 0) == 0 &&
                                     web::DecodeForm(request.strBody, form);
        if (!bRead)
            return Notice(visit, 400, PhoneTexts::kBadRequest);
        for (web::UploadedFile& file : files)
            if (file.strName == "picture")
                pictures.push_back(std::move(file.strBytes));
        // A form from another site never counts, whatever it carries.
        const std::string origin = request.Header("origin");
        if (!origin.empty() && origin != "https://" + request.Header("host"))
            return Notice(visit, 403, PhoneTexts::kExpired);
        if (visit.bNewSession || !CPhoneSessions::CsrfMatches(*visit.pSession, Field(form, "csrf")))
            return Notice(visit, 403, PhoneTexts::kExpired);
    }

    try {
        if (request.strPath == "/pair") {
            web::Fields query;
            if (request.strMethod == "GET" && !web::DecodeForm(request.strQuery, query))
                return Notice(visit, 400, PhoneTexts::kBadRequest);
            return request.strMethod == "GET" ? OnPairPage(visit, query) : OnPair(visit, form);
        }
        m_store.Touch(visit.device.strId, visit.nNow);
        if (request.strMethod == "GET") {
            if (request.strPath != "/")
                return Notice(visit, 405, PhoneTexts::kBadRequest);
            return EntryPage(visit, "", false, nullptr);
        }
        if (request.strPath == "/add")
            return OnAdd(visit, form, pictures);
        if (request.strPath == "/correct")
            return OnCorrect(visit, form, pictures);
        if (request.strPath == "/delete")
            return OnDelete(visit);
        return Notice(visit, 405, PhoneTexts::kBadRequest);
    } catch (const std::exception&) {
        // The engine's words may name the ledger's place; the phone only learns it failed.
        m_ledger.Database().Close();
        return Notice(visit, 500, PhoneTexts::kFailed);
    }
}

WebResponse CPhoneSite::Finish(Visit& visit, WebResponse response) {
    if (visit.bNewSession)
        response.headers.emplace_back("Set-Cookie", Cookie(kSessionCookie, visit.strSessionId, nullptr));
    if (!visit.strNewDeviceToken.empty())
        response.headers.emplace_back("Set-Cookie",
                                      Cookie(kDeviceCookie, visit.strNewDeviceToken, kDeviceMaxAge));
    else if (visit.bForgetDevice)
        response.headers.emplace_back("Set-Cookie", Cookie(kDeviceCookie, "", "0"));
    // Pages may hold records: no copy is kept anywhere on the way or on the phone.
    response.headers.emplace_back("Cache-Control", "no-store");
    AddSecurityHeaders(response);
    return response;
}

WebResponse CPhoneSite::Notice(Visit& visit, int nStatus, const std::string& strMessage) {
    WebResponse response;
    response.nStatus = nStatus;
    response.strBody = PhonePage::Notice(strMessage, m_strFingerprint);
    return Finish(visit, std::move(response));
}

std::string CPhoneSite::PreselectedMember(const CPhoneStore::Device& device,
                                          const std::vector<std::string>& members) const {
    const auto has = [&members](const std::string& name) {
        return std::find(members.begin(), members.end(), name) != members.end();
    };
    if (has(device.strUser))
        return device.strUser;
    if (has(device.strMember))
        return device.strMember;
    return members.empty() ? std::string() : members.front();
}

WebResponse CPhoneSite::EntryPage(Visit& visit, const std::string& strMessage, bool bError,
                                  const CPhoneLedger::Entry* kept) {
    std::string strError;
    if (!m_ledger.Open(strError))
        return Notice(visit, 503, PhoneTexts::kLedgerTrouble);
    PhonePage::EntryView view;
    view.strCsrf = visit.pSession->strCsrf;
    view.strSubmission = CPhoneStore::RandomText(18);
    view.strUser = visit.device.strUser;
    view.strDevice = visit.device.strName;
    view.strMessage = strMessage;
    view.bError = bError;
    view.members = m_ledger.Members();
    view.payItems = m_ledger.Categories(true);
    view.incomeItems = m_ledger.Categories(false);
    view.accounts = m_ledger.Accounts();
    const COleDateTime now = COleDateTime::GetCurrentTime();
    view.strNow = PhonePage::DateTimeBox(now);
    view.strToday = view.strNow.substr(0, 10);
    if (kept) {
        view.entry = *kept;
    } else {
        view.entry.strMember = PreselectedMember(visit.device, view.members);
        if (!view.accounts.empty())
            view.entry.strAccount = m_ledger.LastAccount(view.entry.strMember, view.entry.bPay);
    }
    view.month = m_ledger.MonthRecords(view.entry.strMember, now);
    view.last = m_ledger.LastRecord(visit.device.strId, visit.nNow);
    WebResponse response;
    response.strBody = PhonePage::Entry(view);
    return Finish(visit, std::move(response));
}

namespace {

CPhoneLedger::Entry ReadEntry(const web::Fields& form, bool bPay) {
    CPhoneLedger::Entry entry;
    entry.bPay = bPay;
    entry.strAmount = Field(form, "amount");
    entry.strMember = Field(form, "member");
    entry.strItem = Field(form, bPay ? "payItem" : "incomeItem");
    entry.strWhen = Field(form, "when");
    entry.strNote = Field(form, "note");
    entry.strAccount = Field(form, "account");
    return entry;
}

} // namespace

WebResponse CPhoneSite::OnAdd(Visit& visit, const web::Fields& form,
                              const std::vector<std::string>& pictures) {
    const std::string submission = Field(form, "submission");
    const std::string kind = Field(form, "kind");
    if (!web::IsSubmissionId(submission) || (kind != "pay" && kind != "income"))
        return Notice(visit, 400, PhoneTexts::kBadRequest);
    std::string strError;
    if (!m_ledger.Open(strError))
        return Notice(visit, 503, PhoneTexts::kLedgerTrouble);
    const CPhoneLedger::Entry entry = ReadEntry(form, kind == "pay");
    const PhoneWriteResult result =
        m_ledger.Submit(submission, visit.device.strId, entry, visit.nNow, pictures);
    if (!result.bWritten)
        return EntryPage(visit, result.strMessage, true, &entry);
    m_store.Touch(visit.device.strId, visit.nNow, entry.strMember);
    visit.device.strMember = entry.strMember;
    // The form clears for the next record; what it was for stays chosen.
    CPhoneLedger::Entry next;
    next.bPay = entry.bPay;
    next.strMember = entry.strMember;
    next.strItem = entry.strItem;
    next.strAccount = entry.strAccount;
    return EntryPage(visit, result.strMessage, false, &next);
}

WebResponse CPhoneSite::OnCorrect(Visit& visit, const web::Fields& form,
                                  const std::vector<std::string>& pictures) {
    std::string strError;
    if (!m_ledger.Open(strError))
        return Notice(visit, 503, PhoneTexts::kLedgerTrouble);
    const std::optional<CPhoneLedger::Record> last = m_ledger.LastRecord(visit.device.strId, visit.nNow);
    const CPhoneLedger::Entry entry = ReadEntry(form, last ? last->bPay : true);
    const PhoneWriteResult result = m_ledger.Correct(visit.device.strId, entry, visit.nNow, pictures);
    return EntryPage(visit, result.strMessage, !result.bWritten, nullptr);
}

WebResponse CPhoneSite::OnDelete(Visit& visit) {
    std::string strError;
    if (!m_ledger.Open(strError))
        return Notice(visit, 503, PhoneTexts::kLedgerTrouble);
    const PhoneWriteResult result = m_ledger.Delete(visit.device.strId, visit.nNow);
    return EntryPage(visit, result.strMessage, !result.bWritten, nullptr);
}

WebResponse CPhoneSite::OnPairPage(Visit& visit, const web::Fields& query) {
    PhonePage::PairView view;
    view.strCsrf = visit.pSession->strCsrf;
    view.strCode = Field(query, "code");
    view.strFingerprint = m_strFingerprint;
    WebResponse response;
    if (!m_store.IsPairingCode(view.strCode, visit.nNow)) {
        response.nStatus = 403;
        view.bFormShown = false;
        view.strMessage = PhoneTexts::kBadCode;
    }
    response.strBody = PhonePage::Pair(view);
    return Finish(visit, std::move(response));
}

WebResponse CPhoneSite::OnPair(Visit& visit, const web::Fields& form) {
    PhonePage::PairView view;
    view.strCsrf = visit.pSession->strCsrf;
    view.strCode = Field(form, "code");
    view.strUser = Field(form, "user");
    view.strDevice = Field(form, "device");
    view.strFingerprint = m_strFingerprint;
    const std::string password = Field(form, "password");
    const std::vector<std::string> keys = {"address " + visit.strPeer, "session " + visit.strSessionId};
    WebResponse response;
    const auto refuse = [&](int nStatus, const char* szMessage, bool bFormShown) {
        response.nStatus = nStatus;
        view.strMessage = szMessage;
        view.bFormShown = bFormShown;
        response.strBody = PhonePage::Pair(view);
        return Finish(visit, std::move(response));
    };
    if (m_sessions.IsLocked(keys, visit.nNow))
        return refuse(429, PhoneTexts::kLocked, true);
    if (!m_store.IsPairingCode(view.strCode, visit.nNow))
        return refuse(403, PhoneTexts::kBadCode, false);
    if (view.strUser.size() > kMaxUserBytes || password.size() > kMaxPasswordBytes)
        return refuse(200, PhoneTexts::kWrongLogin, true);
    if (web::CharacterCount(view.strDevice) > kMaxDeviceCharacters)
        return refuse(200, PhoneTexts::kNameTooLong, true);
    std::string strError;
    if (!m_ledger.Open(strError))
        return refuse(503, PhoneTexts::kLedgerTrouble, true);
    const CUserLogin::Outcome outcome = CUserLogin::Check(m_ledger.Database(), view.strUser, password);
    if (outcome == CUserLogin::Outcome::Empty)
        return refuse(200, PhoneTexts::kEmptyLogin, true);
    if (outcome == CUserLogin::Outcome::Wrong) {
        m_sessions.Failed(keys, visit.nNow);
        const bool bLocked = m_sessions.IsLocked(keys, visit.nNow);
        return refuse(bLocked ? 429 : 200, bLocked ? PhoneTexts::kLocked : PhoneTexts::kWrongLogin, true);
    }
    m_sessions.Succeeded(keys);
    if (!m_store.TakePairingCode(view.strCode, visit.nNow))
        return refuse(403, PhoneTexts::kBadCode, false);
    std::string strDeviceId;
    const std::string name = view.strDevice.empty() ? std::string("手机") : view.strDevice;
    visit.strNewDeviceToken = m_store.Pair(view.strUser, name, visit.nNow, strDeviceId);
    if (visit.strNewDeviceToken.empty())
        return refuse(500, PhoneTexts::kFailed, true);
    // A new standing gets a new session id.
    m_sessions.Drop(visit.strSessionId);
    visit.strSessionId.clear();
    visit.pSession = &m_sessions.Use(visit.strSessionId, visit.nNow, visit.bNewSession);
    visit.pSession->strDeviceId = strDeviceId;
    visit.bForgetDevice = false;
    response.nStatus = 303;
    response.headers.emplace_back("Location", "/");
    return Finish(visit, std::move(response));
}
