#include "FaultServer.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
constexpr qint64 kGeneratedPiece = 64 * 1024;

void closeLater(QTcpSocket* socket, int delayMs) {
    if (delayMs <= 0) {
        socket->disconnectFromHost();
        return;
    }
    QTimer::singleShot(delayMs, socket, [socket] { socket->disconnectFromHost(); });
}

QByteArray generatedBytes(qint64 offset, qint64 count) {
    QByteArray out(count, Qt::Uninitialized);
    for (qint64 i = 0; i < count; ++i)
        out[i] = char((offset + i) % 251);
    return out;
}
} // namespace

// Accepts plain or TLS connections (QSslServer is not available in every Qt 6 release).
class FaultServer::Listener : public QTcpServer {
public:
    bool tls = false;
    QSslCertificate certificate;
    QSslKey key;

protected:
    void incomingConnection(qintptr descriptor) override {
        if (!tls) {
            QTcpServer::incomingConnection(descriptor);
            return;
        }
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(key);
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        QObject::connect(socket, &QSslSocket::sslErrors, socket, [socket] { socket->ignoreSslErrors(); });
        socket->startServerEncryption();
        addPendingConnection(socket);
    }
};

QByteArray FaultServer::Request::path() const {
    if (target.startsWith('/'))
        return target;
    const QUrl url(QString::fromLatin1(target));
    QByteArray p = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery())
        p += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    return p.isEmpty() ? QByteArray("/") : p;
}

QByteArray FaultServer::Request::header(const QByteArray& name) const {
    for (const auto& [n, v] : headers) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    }
    return {};
}

FaultServer::FaultServer(bool tls, QObject* parent) : QObject(parent), m_server(new Listener), m_tls(tls) {
    m_server->setParent(this);
    if (tls) {
        QTemporaryDir dir;
        const QString keyPath = dir.filePath(u"key.pem"_s);
        const QString certPath = dir.filePath(u"cert.pem"_s);
        QProcess openssl;
        openssl.start(u"openssl"_s,
                      {u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-keyout"_s, keyPath,
                       u"-out"_s, certPath, u"-days"_s, u"2"_s, u"-subj"_s, u"/CN=127.0.0.1"_s});
        openssl.waitForFinished(60000);
        QFile certFile(certPath);
        QFile keyFile(keyPath);
        if (certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly)) {
            m_server->certificate = QSslCertificate(certFile.readAll(), QSsl::Pem);
            m_server->key = QSslKey(keyFile.readAll(), QSsl::Rsa, QSsl::Pem);
            m_tlsReady = !m_server->certificate.isNull() && !m_server->key.isNull();
        }
        m_server->tls = true;
    }
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection())
            serve(socket);
    });
}

FaultServer::~FaultServer() = default;

quint16 FaultServer::port() const {
    return m_server->serverPort();
}

QString FaultServer::origin() const {
    return (m_tls ? u"https://127.0.0.1:"_s : u"http://127.0.0.1:"_s) + QString::number(port());
}

void FaultServer::route(const QString& path, const Reply& reply) {
    m_routes.insert(path, reply);
}

void FaultServer::routeSequence(const QString& path, const QList<Reply>& replies) {
    m_sequences.insert(path, replies);
    m_sequenceServed.insert(path, 0);
}

void FaultServer::routeHandler(const QString& path, std::function<Reply(const Request&)> answer) {
    m_handlers.insert(path, std::move(answer));
}

void FaultServer::routeGenerated(const QString& path, qint64 size) {
    m_generated.insert(path, size);
}

int FaultServer::requestCount(const QString& path) const {
    int n = 0;
    for (const Request& r : m_requests)
        n += QString::fromLatin1(r.path()) == path ? 1 : 0;
    return n;
}

FaultServer::Reply FaultServer::ok(const QByteArray& body, const QByteArray& contentType) {
    Reply r;
    r.body = body;
    r.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray(contentType)));
    return r;
}

FaultServer::Reply FaultServer::redirect(const QByteArray& location, int status) {
    Reply r;
    r.status = status;
    r.reason = "Found";
    r.headers.append(qMakePair(QByteArray("Location"), QByteArray(location)));
    return r;
}

void FaultServer::serve(QTcpSocket* socket) {
    socket->setParent(this);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
        *buffer += socket->readAll();
        if (socket->property("closing").toBool())
            return; // a request sent after our "Connection: close" is not this server's to answer
        // Keep-alive: a connection may carry several requests, answered in order.
        for (;;) {
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request request;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            buffer->remove(0, end + 4);
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.target = first.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines.at(i).trimmed();
                const qsizetype colon = line.indexOf(':');
                if (colon > 0)
                    request.headers.append(
                        qMakePair(line.left(colon).trimmed(), line.mid(colon + 1).trimmed()));
            }
            request.atMs = QDateTime::currentMSecsSinceEpoch();
            m_requests.append(request);
            answer(socket, request);
            if (socket->property("closing").toBool())
                return;
        }
    });
}

void FaultServer::answer(QTcpSocket* socket, const Request& request) {
    const QString path = QString::fromLatin1(request.path());
    if (m_generated.contains(path)) {
        const qint64 size = m_generated.value(path);
        socket->setProperty("closing", true);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                      QByteArray::number(size) + "\r\nConnection: close\r\n\r\n");
        auto sent = std::make_shared<qint64>(0);
        auto pump = [socket, sent, size] {
            while (*sent < size && socket->bytesToWrite() < 4 * kGeneratedPiece) {
                const qint64 n = std::min(kGeneratedPiece, size - *sent);
                socket->write(generatedBytes(*sent, n));
                *sent += n;
            }
            if (*sent >= size && socket->bytesToWrite() == 0)
                socket->disconnectFromHost();
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, pump);
        pump();
        return;
    }
    Reply reply;
    if (const auto handler = m_handlers.constFind(path); handler != m_handlers.constEnd()) {
        reply = (*handler)(request);
    } else if (m_sequences.contains(path) && !m_sequences.value(path).isEmpty()) {
        const QList<Reply>& replies = m_sequences[path];
        int& served = m_sequenceServed[path];
        reply = replies.at(std::min<qsizetype>(served, replies.size() - 1));
        ++served;
    } else if (m_routes.contains(path)) {
        reply = m_routes.value(path);
    } else {
        reply.status = 404;
        reply.reason = "Not Found";
        reply.body = "<html><head><title>404</title></head><body>not found</body></html>";
        reply.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/html; charset=utf-8")));
    }
    if (reply.ranges)
        answerRange(request, reply);
    socket->setProperty("closing", true);
    if (!reply.raw.isEmpty()) {
        socket->write(reply.raw);
        closeLater(socket, reply.closeDelayMs);
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reply.reason + "\r\n";
    for (const auto& [name, value] : reply.headers)
        head += name + ": " + value + "\r\n";
    if (reply.contentLength) {
        const qint64 length = *reply.contentLength < 0 ? reply.body.size() : *reply.contentLength;
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    const bool keepAlive = reply.status >= 300 && reply.status < 400 && reply.body.isEmpty();
    head += keepAlive ? QByteArray("\r\n") : QByteArray("Connection: close\r\n\r\n");
    socket->write(head);
    if (keepAlive) {
        socket->setProperty("closing", false);
        return;
    }
    sendBody(socket, reply);
}

void FaultServer::answerRange(const Request& request, Reply& reply) {
    const QByteArray range = request.header("Range").trimmed();
    if (!range.startsWith("bytes=") || !range.endsWith('-'))
        return;
    bool ok = false;
    const qint64 first = range.mid(6, range.size() - 7).toLongLong(&ok);
    if (!ok || first < 0 || first >= reply.body.size())
        return;
    const QByteArray ifRange = request.header("If-Range");
    if (!ifRange.isEmpty()) {
        bool matches = false;
        for (const auto& [name, value] : reply.headers) {
            const bool validator = name.compare("ETag", Qt::CaseInsensitive) == 0 ||
                                   name.compare("Last-Modified", Qt::CaseInsensitive) == 0;
            matches = matches || (validator && value == ifRange);
        }
        if (!matches)
            return; // the file changed: all of it
    }
    const qint64 total = reply.body.size();
    reply.status = 206;
    reply.reason = "Partial Content";
    reply.headers.append(qMakePair(QByteArray("Content-Range"), "bytes " + QByteArray::number(first) + '-' +
                                                                    QByteArray::number(total - 1) + '/' +
                                                                    QByteArray::number(total)));
    reply.body = reply.body.mid(first);
}

void FaultServer::sendBody(QTcpSocket* socket, const Reply& reply) {
    QByteArray body = reply.body;
    bool stall = false;
    bool close = true;
    if (reply.stallAfter >= 0 && reply.stallAfter < body.size()) {
        body = body.left(reply.stallAfter);
        stall = true;
        close = false;
    }
    if (reply.closeAfter >= 0 && reply.closeAfter < body.size())
        body = body.left(reply.closeAfter);
    const int delay = reply.closeDelayMs;
    auto finish = [socket, stall, close, delay] {
        if (!stall && close)
            closeLater(socket, delay);
    };
    if (reply.dripBytes <= 0) {
        socket->write(body);
        finish();
        return;
    }
    auto* timer = new QTimer(socket);
    auto offset = std::make_shared<qsizetype>(0);
    const int piece = reply.dripBytes;
    connect(timer, &QTimer::timeout, socket, [socket, timer, offset, body, piece, finish] {
        socket->write(body.mid(*offset, piece));
        *offset += piece;
        if (*offset >= body.size()) {
            timer->stop();
            finish();
        }
    });
    timer->start(reply.dripIntervalMs);
}

} // namespace mojing
