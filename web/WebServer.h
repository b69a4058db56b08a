#pragma once

#include "web/WebMessage.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslConfiguration>

#include <functional>
#include <memory>
#include <string>

class QTcpServer;

/// The HTTPS server of the phone page: the one class that knows Qt HttpServer, whose
/// interface changes after Qt 6.4. It answers only clients on private addresses, speaks TLS
/// only (a plain HTTP request gets a short page naming the HTTPS address), holds at most
/// kMaxConnections connections and refuses bodies over kMaxBody bytes, or kMaxUploadBody for
/// a request the upload check lets carry photos. Everything else is the handler's.
class CWebServer : public QObject {
public:
    using Handler = std::function<WebResponse(const WebRequest&)>;
    /// Asked with a request's head (no body yet): may this one bring up to kMaxUploadBody?
    using UploadCheck = std::function<bool(const WebRequest&)>;

    static constexpr int kMaxConnections = 32;
    static constexpr int kMaxBody = 64 * 1024;
    /// A few phone photos with their form.
    static constexpr int kMaxUploadBody = 24 * 1024 * 1024;
    /// A connection that sends nothing for this long is closed.
    static constexpr int kIdleMs = 30000;

    CWebServer(Handler handler, const QSslConfiguration& tls, QObject* parent = nullptr);
    ~CWebServer() override;

    /// Listens on each of `addresses` (private ones only) at `nPort` (0: any free port, the
    /// same for all). False with `strError` when none could be listened on.
    bool Listen(const QList<QHostAddress>& addresses, quint16 nPort, std::string& strError);
    void Close();
    /// Replaces the handler. A response with status 0 is never sent: the connection is cut
    /// after the request was handled, as a weak network loses an answer.
    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    /// Lets the requests it approves carry up to kMaxUploadBody; none may without it.
    void SetUploadCheck(UploadCheck check) { m_uploadCheck = std::move(check); }
    /// The answer to a body over its limit (status 413); without it, an empty one.
    void SetTooLargeAnswer(WebResponse answer) { m_tooLarge = std::move(answer); }
    bool IsListening() const;
    quint16 Port() const;
    /// Connections open now (tests and the load check read it).
    int OpenConnections() const;

private:
    class Core;
    class Listener;
    std::unique_ptr<Core> m_pCore;
    Handler m_handler;
    UploadCheck m_uploadCheck;
    WebResponse m_tooLarge;
    QSslConfiguration m_tls;
    quint16 m_nPort = 0;
    int m_nOpen = 0;

    friend class Listener;
    friend class Core;
};
