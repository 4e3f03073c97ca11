#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;

namespace mojing {

// A small loopback web server for browser tests: fixed pages by path, HTTP/1.1 with
// "Connection: close", 404 for anything else. Records the paths asked for.
//
//   PageServer server;
//   server.page(u"/index.html"_s, "<html>...</html>");
//   view->setUrl(QUrl(server.url(u"/index.html"_s)));
class PageServer : public QObject {
    Q_OBJECT
public:
    explicit PageServer(QObject* parent = nullptr);
    ~PageServer() override;

    void page(const QString& path, const QByteArray& body,
              const QByteArray& contentType = "text/html; charset=utf-8");
    QString url(const QString& path) const;
    quint16 port() const;
    // Paths requested so far, in order (with their query).
    const QStringList& requested() const { return m_requested; }
    int requestCount(const QString& path) const { return int(m_requested.count(path)); }

private:
    void serve(QTcpSocket* socket);

    QTcpServer* m_server;
    QHash<QString, std::pair<QByteArray, QByteArray>> m_pages;
    QStringList m_requested;
};

} // namespace mojing
