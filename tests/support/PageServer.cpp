#include "PageServer.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace mojing {

PageServer::PageServer(QObject* parent) : QObject(parent), m_server(new QTcpServer(this)) {
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

PageServer::~PageServer() = default;

void PageServer::page(const QString& path, const QByteArray& body, const QByteArray& contentType) {
    m_pages.insert(path, {contentType, body});
}

quint16 PageServer::port() const {
    return m_server->serverPort();
}

QString PageServer::url(const QString& path) const {
    return u"http://127.0.0.1:"_s + QString::number(port()) + path;
}

void PageServer::serve(QTcpSocket* socket) {
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", buffer);
    if (!buffer.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    const QString path = QString::fromLatin1(requestLine.value(1));
    m_requested << path;

    QByteArray status = "200 OK";
    QByteArray type = "text/html; charset=utf-8";
    QByteArray body;
    if (auto it = m_pages.constFind(path); it != m_pages.constEnd()) {
        type = it->first;
        body = it->second;
    } else {
        status = "404 Not Found";
        body = "<html><title>404</title><body>not found</body></html>";
    }
    QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
    socket->write(response);
    socket->disconnectFromHost();
}

} // namespace mojing
