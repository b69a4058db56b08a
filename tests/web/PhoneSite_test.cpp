// What every answer of the phone page carries, and what pairing never shows: the headers
// that keep a page out of frames, caches and sniffing on each kind of answer, a form from
// another site refused, and neither the password nor the phone's token in a page.
#include "web/PhoneSite.h"

#include "web/PhoneTexts.h"

#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

using testing_support::TestDb;

std::string Header(const WebResponse& response, const std::string& name) {
    for (const auto& [key, value] : response.headers)
        if (key == name)
            return value;
    return "";
}

// "name=value" of the first Set-Cookie with that name.
std::string CookieValue(const WebResponse& response, const std::string& name) {
    for (const auto& [key, value] : response.headers)
        if (key == "Set-Cookie" && value.rfind(name + "=", 0) == 0)
            return value.substr(name.size() + 1, value.find(';') - name.size() - 1);
    return "";
}

std::string HiddenField(const std::string& html, const std::string& name) {
    std::smatch match;
    const std::regex field("name=\"" + name + "\" value=\"([^\"]*)\"");
    return std::regex_search(html, match, field) ? match[1].str() : "";
}

WebRequest Request(const std::string& method, const std::string& path, const std::string& query = "") {
    WebRequest request;
    request.strMethod = method;
    request.strPath = path;
    request.strQuery = query;
    request.strPeer = "127.0.0.1";
    request.headers = {{"host", "127.0.0.1:8443"}};
    return request;
}

class PhoneSiteTest : public ::testing::Test {
protected:
    TestDb db;
    CPhoneStore m_store{(db.Directory() / "config").string()};
    CPhoneLedger m_ledger{TestDb::kConnectionString};
    CPhoneSite m_site{m_store, m_ledger, QByteArray("-----BEGIN CERTIFICATE-----"), "AA:BB"};
};

TEST_F(PhoneSiteTest, EveryAnswerKeepsOutOfFramesCachesAndSniffing) {
    const std::string code = m_store.NewPairingCode(QDateTime::currentSecsSinceEpoch());
    struct Case {
        WebRequest request;
        int nStatus;
        const char* szCache;
    };
    const Case cases[] = {
        {Request("GET", "/"), 403, "no-store"},            // not paired
        {Request("POST", "/add"), 403, "no-store"},        // not paired
        {Request("GET", "/elsewhere"), 404, "no-store"},
        {Request("PUT", "/"), 405, "no-store"},
        {Request("GET", "/pair", "code=nonsense"), 403, "no-store"},
        {Request("GET", "/pair", "code=" + code), 200, "no-store"},
        {Request("GET", "/phone.css"), 200, "no-cache"}, // holds no record
    };
    for (const Case& c : cases) {
        const WebResponse response = m_site.Handle(c.request);
        const std::string what = c.request.strMethod + " " + c.request.strPath;
        EXPECT_EQ(response.nStatus, c.nStatus) << what;
        EXPECT_EQ(Header(response, "Cache-Control"), c.szCache) << what;
        EXPECT_EQ(Header(response, "X-Frame-Options"), "DENY") << what;
        EXPECT_EQ(Header(response, "X-Content-Type-Options"), "nosniff") << what;
        const std::string policy = Header(response, "Content-Security-Policy");
        EXPECT_NE(policy.find("default-src 'none'"), std::string::npos) << what;
        EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos) << what;
    }
}

TEST_F(PhoneSiteTest, PairingRefusesAnotherSitesFormAndShowsNoSecret) {
    const std::string code = m_store.NewPairingCode(QDateTime::currentSecsSinceEpoch());
    const WebResponse form = m_site.Handle(Request("GET", "/pair", "code=" + code));
    const std::string session = CookieValue(form, "__Host-coffer_session");
    const std::string csrf = HiddenField(form.strBody, "csrf");
    ASSERT_FALSE(session.empty());
    ASSERT_FALSE(csrf.empty());

    WebRequest pair = Request("POST", "/pair");
    pair.headers.emplace_back("cookie", "__Host-coffer_session=" + session);
    pair.headers.emplace_back("content-type", "application/x-www-form-urlencoded");
    pair.strBody = "csrf=" + csrf + "&code=" + code + "&user=root&password=73950&device=phone";
    WebRequest foreign = pair;
    foreign.headers.emplace_back("origin", "https://elsewhere.example");
    const WebResponse refused = m_site.Handle(foreign);
    EXPECT_EQ(refused.nStatus, 403);
    EXPECT_TRUE(CookieValue(refused, "__Host-coffer_device").empty());
    EXPECT_TRUE(m_store.Devices().empty());

    pair.headers.emplace_back("origin", "https://127.0.0.1:8443");
    const WebResponse paired = m_site.Handle(pair);
    const std::string token = CookieValue(paired, "__Host-coffer_device");
    ASSERT_FALSE(token.empty()) << paired.strBody;
    ASSERT_EQ(m_store.Devices().size(), 1u);
    EXPECT_EQ(paired.strBody.find("73950"), std::string::npos);
    EXPECT_EQ(paired.strBody.find(token), std::string::npos);
    // Only the token's hash is kept.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(db.Directory() / "config")) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string kept((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(kept.find(token), std::string::npos) << entry.path();
        EXPECT_EQ(kept.find("73950"), std::string::npos) << entry.path();
    }
}

TEST_F(PhoneSiteTest, OnlyAPairedPhonesFormWithFilesMayBringPhotosAndTheRefusalKeepsTheHeaders) {
    std::string device;
    const std::string token = m_store.Pair("root", "phone", QDateTime::currentSecsSinceEpoch(), device);
    WebRequest add = Request("POST", "/add");
    add.headers.emplace_back("cookie", "__Host-coffer_device=" + token);
    add.headers.emplace_back("content-type", "multipart/form-data; boundary=b0undary");
    EXPECT_TRUE(m_site.MayUpload(add));
    struct Case {
        const char* what;
        std::size_t nHeader;
        std::string value;
    };
    const Case refused[] = {{"a phone not paired", 1, "__Host-coffer_device=forged"},
                            {"a form without files", 2, "application/x-www-form-urlencoded"}};
    for (const Case& c : refused) {
        WebRequest other = add;
        other.headers[c.nHeader].second = c.value;
        EXPECT_FALSE(m_site.MayUpload(other)) << c.what;
    }
    add.strPath = "/pair";
    EXPECT_FALSE(m_site.MayUpload(add)) << "pairing brings no photo";

    const WebResponse tooLarge = m_site.TooLarge();
    EXPECT_EQ(tooLarge.nStatus, 413);
    EXPECT_NE(tooLarge.strBody.find(PhoneTexts::kTooLarge), std::string::npos);
    EXPECT_EQ(Header(tooLarge, "Cache-Control"), "no-store");
    EXPECT_EQ(Header(tooLarge, "X-Frame-Options"), "DENY");
}

} // namespace
