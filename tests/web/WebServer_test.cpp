#include "web/PhoneCertificates.h"
#include "web/WebServer.h"

#include "tests/support/TempDir.h"

#include <QSslSocket>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <vector>

namespace {

using testing_support::TempDir;

int Mode(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
}

// True once the headers and as many body bytes as they announce have arrived.
bool Complete(const QByteArray& answer) {
    const qsizetype end = answer.indexOf("\r\n\r\n");
    const qsizetype length = answer.indexOf("Content-Length: ");
    if (end < 0 || length < 0 || length > end)
        return false;
    const qsizetype lineEnd = answer.indexOf("\r\n", length);
    const qsizetype size = answer.mid(length + 16, lineEnd - length - 16).toLongLong();
    return answer.size() >= end + 4 + size;
}

// An HTTPS server on 127.0.0.1 whose handler counts what reaches it.
class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_certificates.Prepare({QHostAddress(QHostAddress::LocalHost)}, error)) << error;
        m_server = std::make_unique<CWebServer>(
            [this](const WebRequest& request) {
                ++m_nHandled;
                WebResponse response;
                response.strBody = "seen " + request.strMethod + " " + request.strPath + " " +
                                   std::to_string(request.strBody.size());
                return response;
            },
            m_certificates.Tls());
        ASSERT_TRUE(m_server->Listen({QHostAddress(QHostAddress::LocalHost)}, 0, error)) << error;
    }

    // Sends `request` over TLS, trusting only our authority, and returns all that comes back.
    QByteArray Exchange(const QByteArray& request) {
        QSslSocket socket;
        QSslConfiguration tls = socket.sslConfiguration();
        tls.setCaCertificates({m_certificates.Authority()});
        socket.setSslConfiguration(tls);
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_server->Port());
        // The server runs on this thread: wait with its events going, never blocking.
        if (!QTest::qWaitFor([&] { return socket.isEncrypted(); }, 10000))
            return "no TLS: " + socket.errorString().toUtf8();
        socket.write(request);
        QByteArray answer;
        // What arrived is returned either way; the checks say what was missing.
        (void)QTest::qWaitFor([&] {
            answer += socket.readAll();
            return Complete(answer) || socket.state() != QAbstractSocket::ConnectedState;
        }, 10000);
        return answer;
    }

    TempDir m_dir;
    CPhoneCertificates m_certificates{(m_dir.Path() / "config").string()};
    std::unique_ptr<CWebServer> m_server;
    int m_nHandled = 0;
};

TEST_F(WebServerTest, CertificatesAreMadeOnceAndKeptPrivate) {
    const std::filesystem::path config = m_dir.Path() / "config";
    EXPECT_EQ(Mode(config), 0700);
    for (const char* file : {"phone-ca.pem", "phone-ca.key", "phone-server.pem", "phone-server.key"})
        EXPECT_EQ(Mode(config / file), 0600) << file;
    const std::string fingerprint = m_certificates.Fingerprint();
    EXPECT_EQ(fingerprint.size(), 32u * 3 - 1);
    // A new address gets a new server certificate from the same authority: the phone that
    // trusted it once keeps trusting it.
    CPhoneCertificates again(config.string());
    std::string error;
    ASSERT_TRUE(again.Prepare({QHostAddress(QHostAddress::LocalHost), QHostAddress(QStringLiteral("192.168.7.9"))}, error));
    EXPECT_EQ(again.Fingerprint(), fingerprint);
    EXPECT_EQ(again.Tls().localCertificateChain().first().issuerDisplayName(),
              again.Authority().subjectDisplayName());
    EXPECT_TRUE(again.Tls().localCertificateChain().first().subjectAlternativeNames()
                    .values(QSsl::IpAddressEntry).contains(QStringLiteral("192.168.7.9")));
}

TEST_F(WebServerTest, TlsRequestsReachTheHandler) {
    const QByteArray answer = Exchange("GET /x HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.constData();
    EXPECT_TRUE(answer.contains("seen GET /x 0"));
    EXPECT_EQ(m_nHandled, 1);
}

TEST_F(WebServerTest, PlainHttpGetsOnlyTheHttpsAddress) {
    QTcpSocket plain;
    plain.connectToHost(QStringLiteral("127.0.0.1"), m_server->Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return plain.state() == QAbstractSocket::ConnectedState; }, 5000));
    plain.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray answer;
    (void)QTest::qWaitFor([&] {
        answer += plain.readAll();
        return plain.state() == QAbstractSocket::UnconnectedState || answer.contains("</html>");
    }, 10000);
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 400")) << answer.constData();
    EXPECT_TRUE(answer.contains("https://127.0.0.1:" + QByteArray::number(m_server->Port()) + "/"));
    EXPECT_EQ(m_nHandled, 0);
}

TEST_F(WebServerTest, BodiesOver64KiBAreRefused) {
    const QByteArray body(CWebServer::kMaxBody + 1, 'a');
    const QByteArray big = Exchange("POST /add HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                    QByteArray::number(body.size()) + "\r\n\r\n" + body);
    EXPECT_TRUE(big.startsWith("HTTP/1.1 413")) << big.left(80).constData();
    const QByteArray huge(CWebServer::kMaxBody * 4, 'a');
    const QByteArray streamed = Exchange("POST /add HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                         QByteArray::number(huge.size()) + "\r\n\r\n" + huge);
    EXPECT_TRUE(streamed.startsWith("HTTP/1.1 413")) << streamed.left(80).constData();
    EXPECT_EQ(m_nHandled, 0);
    // The limit itself is allowed.
    const QByteArray fits(CWebServer::kMaxBody, 'a');
    EXPECT_TRUE(Exchange("POST /add HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                         QByteArray::number(fits.size()) + "\r\n\r\n" + fits)
                    .contains("seen POST /add 65536"));
}

TEST_F(WebServerTest, OnlyAnApprovedRequestBringsPhotosAndABodyOverItsLimitIsRefusedInWords) {
    m_server->SetUploadCheck([](const WebRequest& head) {
        return head.strMethod == "POST" && head.strPath == "/add" && head.Header("cookie") == "paired=1";
    });
    WebResponse refusal;
    refusal.nStatus = 413;
    refusal.strBody = "照片太大";
    m_server->SetTooLargeAnswer(refusal);
    const auto post = [](const QByteArray& cookie, qint64 nLength, const QByteArray& body) {
        return "POST /add HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + cookie +
               "\r\nContent-Length: " + QByteArray::number(nLength) + "\r\n\r\n" + body;
    };
    const QByteArray photos(1024 * 1024, 'p');
    EXPECT_TRUE(Exchange(post("paired=1", photos.size(), photos)).contains("seen POST /add 1048576"));
    struct Case {
        const char* what;
        QByteArray request;
    };
    const Case refused[] = {
        {"a request the check does not approve", post("paired=0", photos.size(), photos)},
        // Refused from its head alone, before the body comes.
        {"a body announced over the upload limit", post("paired=1", CWebServer::kMaxUploadBody + 1, "")},
    };
    for (const Case& c : refused) {
        const QByteArray answer = Exchange(c.request);
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 413")) << c.what << ": " << answer.left(80).constData();
        EXPECT_TRUE(answer.contains("Connection: close")) << c.what;
        EXPECT_TRUE(answer.endsWith("照片太大")) << c.what;
    }
    EXPECT_EQ(m_nHandled, 1);
}

TEST_F(WebServerTest, AConnectionBeyondThe32ndIsClosed) {
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < CWebServer::kMaxConnections; ++i) {
        open.push_back(std::make_unique<QTcpSocket>());
        open.back()->connectToHost(QStringLiteral("127.0.0.1"), m_server->Port());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->OpenConnections() == CWebServer::kMaxConnections; }, 10000));
    QTcpSocket extra;
    extra.connectToHost(QStringLiteral("127.0.0.1"), m_server->Port());
    EXPECT_TRUE(QTest::qWaitFor([&] { return extra.state() == QAbstractSocket::UnconnectedState; }, 10000));
    EXPECT_EQ(m_server->OpenConnections(), CWebServer::kMaxConnections);
    // Once one closes, a new one is served again.
    open.front()->abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->OpenConnections() < CWebServer::kMaxConnections; }, 10000));
    EXPECT_TRUE(Exchange("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n").contains("seen GET /"));
}

} // namespace
