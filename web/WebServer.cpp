#include "web/WebServer.h"

#include "web/FormDecoding.h"
#include "web/PrivateAddress.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

#include <memory>

namespace {

// What the stream guard knows of the request under way, kept on the socket so that both the
// guard and the request handler reach it (the handler clears it for the next request): the
// bytes sent since the last answer, the body limit chosen from the request's head (0 until
// the head is whole), the head as far as it came, and after a refusal how much more to read
// and throw away.
const char* const kBytesProperty = "cofferBytes";
const char* const kLimitProperty = "cofferLimit";
const char* const kHeadProperty = "cofferHead";
const char* const kDrainProperty = "cofferDrain";
// Headers of one request may take this much beyond the body's limit.
constexpr qint64 kHeaderAllowance = 16 * 1024;
// A refused body is read to its end (so the browser, still sending, gets to read the answer
// instead of a reset connection) up to this much; beyond it the connection is cut.
constexpr qint64 kMaxDrain = 64 * 1024 * 1024;

void StartRequest(QTcpSocket* socket) {
    socket->setProperty(kBytesProperty, 0);
    socket->setProperty(kLimitProperty, 0);
    socket->setProperty(kHeadProperty, QByteArray());
}

const char* MethodName(QHttpServerRequest::Method method) {
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    default:
        return "OTHER";
    }
}

QByteArray StatusLine(int nStatus) {
    switch (nStatus) {
    case 400:
        return "400 Bad Request";
    case 413:
        return "413 Payload Too Large";
    default:
        return QByteArray::number(nStatus);
    }
}

// An answer written straight to the socket (the connection then closes), for a request the
// HTTP server never sees whole.
void WriteAnswer(QTcpSocket* socket, const WebResponse& response) {
    QByteArray text = "HTTP/1.1 " + StatusLine(response.nStatus) + "\r\nContent-Type: " +
                      QByteArray::fromStdString(response.strContentType) + "\r\n";
    for (const auto& [name, value] : response.headers)
        text += QByteArray::fromStdString(name) + ": " + QByteArray::fromStdString(value) + "\r\n";
    text += "Content-Length: " + QByteArray::number(qsizetype(response.strBody.size())) +
            "\r\nConnection: close\r\n\r\n" + QByteArray::fromStdString(response.strBody);
    socket->write(text);
}

qint64 DeclaredLength(const WebRequest& head) {
    const std::string length = head.Header("content-length");
    if (length.empty() || length.size() > 12 ||
        length.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoll(length);
}

// Answers a connection that is not TLS: a short page naming the HTTPS address, nothing else.
void AnswerPlain(QSslSocket* socket, quint16 nPort) {
    QHostAddress local = socket->localAddress();
    bool bIPv4 = false;
    const quint32 v4 = local.toIPv4Address(&bIPv4);
    if (bIPv4)
        local = QHostAddress(v4);
    const QString host = local.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(local.toString())
                             : local.toString();
    const QByteArray address =
        QStringLiteral("https://%1:%2/").arg(host).arg(nPort).toUtf8();
    const QByteArray body = "<!DOCTYPE html><html lang=\"zh-CN\"><meta charset=\"utf-8\">"
                            "<title>手机记账</title><p>手机记账只用加密连接，请打开 " +
                            address + "</p></html>";
    socket->write("HTTP/1.1 400 Bad Request\r\nContent-Type: text/html; charset=utf-8\r\n"
                  "Content-Length: " +
                  QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\nCache-Control: no-store\r\n"
                  "X-Content-Type-Options: nosniff\r\n\r\n" +
                  body);
    socket->disconnectFromHost();
}

} // namespace

class CWebServer::Core : public QAbstractHttpServer {
public:
    explicit Core(CWebServer& owner) : m_owner(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        const qint64 nLimit = socket->property(kLimitProperty).toLongLong();
        StartRequest(socket);
        WebResponse response;
        if (request.body().size() > (nLimit > 0 ? nLimit : kMaxBody)) {
            response = m_owner.m_tooLarge;
        } else {
            WebRequest in;
            in.strMethod = MethodName(request.method());
            in.strPath = request.url().path().toStdString();
            in.strQuery = request.url().query(QUrl::FullyEncoded).toStdString();
            for (const auto& [name, value] : request.headers())
                in.headers.emplace_back(name.toLower().toStdString(), value.toStdString());
            in.strBody = request.body().toStdString();
            in.strPeer = request.remoteAddress().toString().toStdString();
            try {
                response = m_owner.m_handler(in);
            } catch (...) {
                // A fault behind one request answers that request; the server goes on.
                response = WebResponse{};
                response.nStatus = 500;
                response.strContentType = "text/plain; charset=utf-8";
            }
        }
        if (response.nStatus == 0) {
            socket->abort();
            return true;
        }
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(response.nStatus));
        responder.writeHeader("Content-Type", QByteArray::fromStdString(response.strContentType));
        for (const auto& [name, value] : response.headers)
            responder.writeHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
        responder.writeHeader("Content-Length", QByteArray::number(qsizetype(response.strBody.size())));
        if (response.nStatus == 413)
            responder.writeHeader("Connection", "close");
        responder.writeBody(response.strBody.data(), qint64(response.strBody.size()));
        if (response.nStatus == 413)
            socket->disconnectFromHost();
        return true;
    }

    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    CWebServer& m_owner;
};

class CWebServer::Listener : public QTcpServer {
public:
    Listener(CWebServer& owner, QObject* parent) : QTcpServer(parent), m_owner(owner) {}

    ~Listener() override {
        // The sockets' goodbyes touch this listener's table, so they go while it is whole.
        qDeleteAll(findChildren<QSslSocket*>(Qt::FindDirectChildrenOnly));
    }

protected:
    void incomingConnection(qintptr handle) override {
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        if (!CPrivateAddress::IsPrivate(socket->peerAddress()) ||
            m_owner.m_nOpen >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++m_owner.m_nOpen;
        connect(socket, &QObject::destroyed, &m_owner, [this, socket] {
            --m_owner.m_nOpen;
            m_plain.remove(socket);
        });
        socket->setSslConfiguration(m_owner.m_tls);
        StartRequest(socket);

        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
        idle->start(kIdleMs);

        enum class Stage { Sniff, Handshake, Plain, Handed };
        auto stage = std::make_shared<Stage>(Stage::Sniff);
        connect(socket, &QSslSocket::disconnected, socket, [socket, stage] {
            if (*stage != Stage::Handed)
                socket->deleteLater();
        });
        connect(socket, &QAbstractSocket::errorOccurred, socket, [socket, stage] {
            if (*stage != Stage::Handed)
                socket->abort();
        });
        connect(socket, &QSslSocket::encrypted, this, [this, socket, stage] {
            *stage = Stage::Handed;
            addPendingConnection(socket);
        });
        // Connected before the HTTP server's own reader, so this sees every chunk first.
        connect(socket, &QSslSocket::readyRead, socket, [this, socket, idle, stage] {
            idle->start(kIdleMs);
            if (*stage == Stage::Sniff) {
                char first = 0;
                if (socket->peek(&first, 1) != 1)
                    return;
                // Every TLS connection opens with a handshake record (type 22).
                if (first == 0x16) {
                    *stage = Stage::Handshake;
                    socket->startServerEncryption();
                    return;
                }
                *stage = Stage::Plain;
            }
            if (*stage == Stage::Plain) {
                m_plain[socket] += socket->read(8192);
                const QByteArray& seen = m_plain[socket];
                if (seen.contains("\r\n\r\n") || seen.size() >= 8192) {
                    m_plain.remove(socket);
                    AnswerPlain(socket, m_owner.m_nPort);
                }
                return;
            }
            if (*stage == Stage::Handed)
                Guard(socket);
        });
    }

private:
    // Sees each chunk of a request before the HTTP server reads it: chooses the body's limit
    // once the head is there, and refuses a body over it without holding it.
    void Guard(QSslSocket* socket) {
        if (const qint64 nDrain = socket->property(kDrainProperty).toLongLong(); nDrain > 0) {
            const qint64 nLeft = nDrain - socket->read(socket->bytesAvailable()).size();
            socket->setProperty(kDrainProperty, nLeft);
            if (nLeft <= 0)
                socket->disconnectFromHost();
            return;
        }
        const qint64 nNew = socket->bytesAvailable();
        const qint64 nSeen = socket->property(kBytesProperty).toLongLong() + nNew;
        socket->setProperty(kBytesProperty, nSeen);
        qint64 nLimit = socket->property(kLimitProperty).toLongLong();
        qint64 nLeft = kMaxDrain;
        if (nLimit == 0) {
            const QByteArray head = socket->property(kHeadProperty).toByteArray() +
                                    socket->peek(std::min(nNew, kHeaderAllowance));
            const qsizetype end = head.indexOf("\r\n\r\n");
            if (end >= 0 || head.size() >= kHeaderAllowance) {
                WebRequest request;
                const bool bHead = end >= 0 && web::DecodeRequestHead(
                                                   std::string_view(head.constData(), end), request);
                nLimit = bHead && m_owner.m_uploadCheck && m_owner.m_uploadCheck(request)
                             ? kMaxUploadBody
                             : kMaxBody;
                socket->setProperty(kLimitProperty, nLimit);
                socket->setProperty(kHeadProperty, QByteArray());
                const qint64 nDeclared = bHead ? DeclaredLength(request) : -1;
                if (nDeclared >= 0)
                    nLeft = end + 4 + nDeclared - nSeen;
                // A body announced over the limit is refused before it is sent.
                if (nDeclared > nLimit)
                    return Refuse(socket, nLeft);
            } else {
                socket->setProperty(kHeadProperty, head);
            }
        }
        if (nSeen > (nLimit > 0 ? nLimit : kMaxBody) + kHeaderAllowance)
            Refuse(socket, nLeft);
    }

    void Refuse(QSslSocket* socket, qint64 nLeft) {
        QObject::disconnect(socket, &QSslSocket::readyRead, m_owner.m_pCore.get(), nullptr);
        WriteAnswer(socket, m_owner.m_tooLarge);
        nLeft -= socket->read(socket->bytesAvailable()).size();
        if (nLeft <= 0 || nLeft > kMaxDrain) {
            socket->disconnectFromHost();
            return;
        }
        socket->setProperty(kDrainProperty, nLeft);
    }

    CWebServer& m_owner;
    QHash<QSslSocket*, QByteArray> m_plain;
};

CWebServer::CWebServer(Handler handler, const QSslConfiguration& tls, QObject* parent)
    : QObject(parent), m_pCore(std::make_unique<Core>(*this)), m_handler(std::move(handler)),
      m_tls(tls) {
    m_tooLarge.nStatus = 413;
    m_tooLarge.strContentType = "text/plain; charset=utf-8";
}

CWebServer::~CWebServer() {
    // Connections close with the core; their counter lives here.
    m_pCore.reset();
}

bool CWebServer::Listen(const QList<QHostAddress>& addresses, quint16 nPort,
                        std::string& strError) {
    Close();
    m_nPort = nPort;
    for (const QHostAddress& address : addresses) {
        if (!CPrivateAddress::IsPrivate(address))
            continue;
        auto* listener = new Listener(*this, m_pCore.get());
        if (!listener->listen(address, m_nPort)) {
            strError = listener->errorString().toStdString();
            delete listener;
            continue;
        }
        m_nPort = listener->serverPort();
        m_pCore->bind(listener);
    }
    if (m_pCore->servers().isEmpty()) {
        if (strError.empty())
            strError = "no private address to listen on";
        return false;
    }
    strError.clear();
    return true;
}

void CWebServer::Close() {
    m_pCore = std::make_unique<Core>(*this);
}

bool CWebServer::IsListening() const {
    return !m_pCore->servers().isEmpty();
}

quint16 CWebServer::Port() const {
    return m_nPort;
}

int CWebServer::OpenConnections() const {
    return m_nOpen;
}
