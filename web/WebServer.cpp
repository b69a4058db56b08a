#include "web/WebServer.h"

#include "web/PrivateAddress.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

#include <memory>

namespace {

// Bytes a connection has sent since its last answer, kept on the socket so that both the
// stream guard and the request handler reach it.
const char* const kBytesProperty = "cofferBytes";
// Headers of one request may take this much beyond the body's limit.
constexpr qint64 kHeaderAllowance = 16 * 1024;

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
        socket->setProperty(kBytesProperty, 0);
        WebResponse response;
        if (request.body().size() > kMaxBody) {
            response.nStatus = 413;
            response.strContentType = "text/plain; charset=utf-8";
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
        socket->setProperty(kBytesProperty, 0);

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
            if (*stage != Stage::Handed)
                return;
            const qint64 nSeen =
                socket->property(kBytesProperty).toLongLong() + socket->bytesAvailable();
            socket->setProperty(kBytesProperty, nSeen);
            if (nSeen > kMaxBody + kHeaderAllowance) {
                QObject::disconnect(socket, &QSslSocket::readyRead, m_owner.m_pCore.get(),
                                    nullptr);
                socket->write("HTTP/1.1 " + StatusLine(413) +
                              "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
            }
        });
    }

private:
    CWebServer& m_owner;
    QHash<QSslSocket*, QByteArray> m_plain;
};

CWebServer::CWebServer(Handler handler, const QSslConfiguration& tls, QObject* parent)
    : QObject(parent), m_pCore(std::make_unique<Core>(*this)), m_handler(std::move(handler)),
      m_tls(tls) {}

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
