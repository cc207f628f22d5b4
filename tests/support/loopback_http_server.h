#pragma once
// A tiny HTTP server on 127.0.0.1 for engine tests: serves fixed bodies by path and counts
// every connection and request it sees. A body can go out at once, slowly, or be cut off
// halfway as a dropped connection would. Never reaches beyond this machine. Given a certificate
// and its key (PEM files), it speaks https instead.

#include <QHash>
#include <QHostAddress>
#include <QFile>
#include <QObject>
#include <QSslKey>
#include <QSslServer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

class LoopbackHttpServer : public QObject {
public:
    explicit LoopbackHttpServer(QObject *parent = nullptr, const QString &certificate = QString(),
                                const QString &key = QString())
        : QObject(parent)
    {
        if (certificate.isEmpty()) {
            m_server = new QTcpServer(this);
        } else {
            auto *secure = new QSslServer(this);
            QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
            tls.setLocalCertificate(QSslCertificate::fromPath(certificate).value(0));
            QFile keyFile(key);
            if (keyFile.open(QIODevice::ReadOnly))
                tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
            secure->setSslConfiguration(tls);
            m_server = secure;
            m_scheme = QStringLiteral("https");
        }
        m_server->listen(QHostAddress::LocalHost, 0);
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
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(m_scheme).arg(m_server->serverPort()).arg(path));
    }

    // Slowly: kSlowChunk bytes every kSlowIntervalMs. CutHalfway: the full length announced,
    // half the body sent, then the connection closed.
    enum class Delivery { Whole, Slowly, CutHalfway };
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

    // Paths of the requests seen so far, in order; and every connection, even one that sent nothing.
    QStringList requests() const { return m_requests; }
    int connections() const { return m_connections; }

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
        m_pending.remove(socket);
        const QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
        m_requests << path;
        const auto it = m_routes.constFind(QUrl(path).path());
        QByteArray response;
        if (m_redirects.contains(QUrl(path).path())) {
            response = "HTTP/1.1 302 Found\r\nLocation: " + m_redirects.value(QUrl(path).path()).toEncoded() +
                       "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else if (it == m_routes.constEnd()) {
            response = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n"
                       "Connection: close\r\n\r\nnot found";
        } else {
            response = "HTTP/1.1 200 OK\r\nContent-Type: " + it->contentType + "\r\nContent-Length: " +
                       QByteArray::number(it->body.size()) + "\r\n" + it->headers + "Connection: close\r\n\r\n";
            if (it->delivery == Delivery::Slowly)
                return sendSlowly(socket, response, it->body);
            response += it->delivery == Delivery::CutHalfway ? it->body.left(it->body.size() / 2) : it->body;
        }
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

    QTcpServer *m_server;
    QString m_scheme = QStringLiteral("http");
    QHash<QString, Resource> m_routes;
    QHash<QString, QUrl> m_redirects;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QStringList m_requests;
    int m_connections = 0;
};
