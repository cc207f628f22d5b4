#pragma once
// A tiny HTTP server on 127.0.0.1 for engine tests: serves fixed bodies by path and counts
// every connection and request it sees. A body can go out at once, slowly, or be cut off
// halfway as a dropped connection would. Over TLS when given a certificate, and behind a
// basic sign-in for the paths told so. Never reaches beyond this machine.

#include <QHash>
#include <QHostAddress>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <optional>

class LoopbackHttpServer : public QObject {
public:
    // A self-signed certificate for 127.0.0.1 and localhost in folder (made with openssl unless
    // it is there already), as a TLS configuration for the server; nothing when it cannot be made.
    static std::optional<QSslConfiguration> selfSignedTls(const QString &folder)
    {
        const QString certPath = folder + QStringLiteral("/cert.pem"), keyPath = folder + QStringLiteral("/key.pem");
        if (!QFile::exists(certPath)
            && QProcess::execute(QStringLiteral("openssl"),
                                 {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                                  "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                                  "-keyout", keyPath, "-out", certPath})
                   != 0)
            return std::nullopt;
        return tlsFrom(certPath, keyPath);
    }

    // A server's TLS configuration from its PEM certificate and RSA key.
    static std::optional<QSslConfiguration> tlsFrom(const QString &certPath, const QString &keyPath)
    {
        QFile cert(certPath), key(keyPath);
        if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
            return std::nullopt;
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(&cert));
        tls.setPrivateKey(QSslKey(&key, QSsl::Rsa));
        return tls;
    }

    // With a TLS configuration (certificate and key) it speaks HTTPS. Any free port on
    // 127.0.0.1 unless told which loopback address and port.
    explicit LoopbackHttpServer(QObject *parent = nullptr, const QSslConfiguration *tls = nullptr,
                                const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0)
        : QObject(parent), m_tls(tls != nullptr)
    {
        if (tls) {
            auto *secure = new QSslServer(this);
            secure->setSslConfiguration(*tls);
            m_server = secure;
        } else {
            m_server = new QTcpServer(this);
        }
        m_server->listen(address, port);
        // Counted when accepted, also when the secure handshake is then refused.
        connect(m_server, &QTcpServer::newConnection, this, [this] { ++m_connections; });
        // Ready once a secure connection has finished its handshake.
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool isListening() const { return m_server->isListening(); }
    QUrl url(const QString &path, const QString &host = QStringLiteral("127.0.0.1")) const
    {
        return QUrl(QStringLiteral("%1://%2:%3%4")
                        .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"), host)
                        .arg(m_server->serverPort())
                        .arg(path));
    }

    // Slowly: kSlowChunk bytes every kSlowIntervalMs. CutHalfway: the full length announced,
    // half the body sent, then the connection closed. Endless: the head and the body, then
    // the connection held open with no end, as a page that never finishes loading.
    enum class Delivery { Whole, Slowly, CutHalfway, Endless };
    static constexpr int kSlowChunk = 8192;
    static constexpr int kSlowIntervalMs = 100;

    // headers: further header lines, each ending in "\r\n".
    void route(const QString &path, const QByteArray &contentType, const QByteArray &body,
               const QByteArray &headers = {}, Delivery delivery = Delivery::Whole)
    {
        m_routes.insert(path, {contentType, body, headers, delivery});
    }

    // Answers path with a 302 to location.
    void redirect(const QString &path, const QUrl &location) { m_redirects.insert(path, location); }

    // Answers path with 401 and a basic sign-in for realm, unless the request signs in as user:password.
    void protect(const QString &path, const QByteArray &realm, const QByteArray &userAndPassword)
    {
        m_protected.insert(path, {realm, "Basic " + userAndPassword.toBase64()});
    }
    // The Authorization headers seen so far, in order.
    QList<QByteArray> authorizations() const { return m_authorizations; }

    // Paths of the requests seen so far, in order; and every connection, even one that sent nothing.
    QStringList requests() const { return m_requests; }
    int connections() const { return m_connections; }
    // For each request, its Accept-Language header (empty: none).
    QList<QByteArray> acceptLanguages() const { return m_acceptLanguages; }
    // For each request over TLS, the common name of the client's certificate (empty: none).
    QStringList peers() const { return m_peers; }

private:
    struct Resource {
        QByteArray contentType;
        QByteArray body;
        QByteArray headers;
        Delivery delivery;
    };

    void answer(QTcpSocket *socket)
    {
        QByteArray &buffer = m_pending[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        const QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
        m_requests << path;
        m_acceptLanguages << header(buffer.left(end), "accept-language");
        if (const auto *secure = qobject_cast<QSslSocket *>(socket))
            m_peers << secure->peerCertificate().subjectInfo(QSslCertificate::CommonName).value(0);
        const auto it = m_routes.constFind(QUrl(path).path());
        const QByteArray authorization = header(buffer.left(end), "authorization");
        if (!authorization.isEmpty())
            m_authorizations << authorization;
        const auto guard = m_protected.constFind(QUrl(path).path());
        QByteArray response;
        if (guard != m_protected.constEnd() && authorization != guard->second) {
            const QByteArray body = "<title>Not signed in</title>sign in first";
            response = "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"" + guard->first +
                       "\"\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) +
                       "\r\nConnection: close\r\n\r\n" + body;
        } else if (m_redirects.contains(QUrl(path).path())) {
            response = "HTTP/1.1 302 Found\r\nLocation: " + m_redirects.value(QUrl(path).path()).toEncoded() +
                       "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else if (it == m_routes.constEnd()) {
            response = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n"
                       "Connection: close\r\n\r\nnot found";
        } else {
            const qsizetype length = it->delivery == Delivery::Endless ? it->body.size() + (1 << 30) : it->body.size();
            response = "HTTP/1.1 200 OK\r\nContent-Type: " + it->contentType + "\r\nContent-Length: " +
                       QByteArray::number(length) + "\r\n" + it->headers + "Connection: close\r\n\r\n";
            if (it->delivery == Delivery::Endless) {
                m_pending.remove(socket);
                socket->write(response + it->body);
                return;
            }
            if (it->delivery == Delivery::Slowly)
                return sendSlowly(socket, response, it->body);
            response += it->delivery == Delivery::CutHalfway ? it->body.left(it->body.size() / 2) : it->body;
        }
        m_pending.remove(socket);
        socket->write(response);
        socket->disconnectFromHost();
    }

    void sendSlowly(QTcpSocket *socket, const QByteArray &head, const QByteArray &body)
    {
        socket->write(head);
        auto *timer = new QTimer(socket); // ends with the connection, however it ends
        connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent = qsizetype(0)]() mutable {
            socket->write(body.mid(sent, kSlowChunk));
            sent += kSlowChunk;
            if (sent < body.size())
                return;
            timer->stop();
            socket->disconnectFromHost();
        });
        timer->start(kSlowIntervalMs);
    }

    static QByteArray header(const QByteArray &head, const QByteArray &name)
    {
        for (const QByteArray &line : head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name)
                return line.mid(colon + 1).trimmed();
        }
        return QByteArray();
    }

    QTcpServer *m_server;
    bool m_tls;
    QHash<QString, QPair<QByteArray, QByteArray>> m_protected;
    QList<QByteArray> m_authorizations;
    QHash<QString, Resource> m_routes;
    QHash<QString, QUrl> m_redirects;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QStringList m_requests;
    QList<QByteArray> m_acceptLanguages;
    QStringList m_peers;
    int m_connections = 0;
};
