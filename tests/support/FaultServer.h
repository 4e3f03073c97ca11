#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <functional>
#include <optional>

class QTcpSocket;

namespace mojing {

// A loopback HTTP/1.1 server whose answers misbehave on request: it stalls, drips, closes early,
// omits or misstates the length, answers with error codes, redirects in circles, announces huge
// sizes, and can speak TLS with a self-signed certificate. It records every request (also the
// absolute-URI requests a proxy receives). One connection serves one request.
//
//   FaultServer server;
//   FaultServer::Reply r;
//   r.body = "%PDF-1.4 ...";
//   r.contentLength = std::nullopt;            // no Content-Length; the end is the close
//   server.route(u"/a.pdf"_s, r);
//   ... server.url(u"/a.pdf"_s) ...
//   EXPECT_EQ(server.requests().at(0).header("Referer"), "http://x/");
class FaultServer : public QObject {
    Q_OBJECT
public:
    struct Reply {
        int status = 200;
        QByteArray reason = "OK";
        QList<QPair<QByteArray, QByteArray>> headers; // extra header lines
        QByteArray body;
        // Announced Content-Length: the body's size unless set; nullopt sends none.
        std::optional<qint64> contentLength = -1;
        // Body pieces of this many bytes, one every `dripIntervalMs` (0: all at once).
        int dripBytes = 0;
        int dripIntervalMs = 0;
        // After this many body bytes: stop sending and keep the connection open (stall), or close.
        qint64 stallAfter = -1;
        qint64 closeAfter = -1;
        // Sent instead of the whole response when not empty.
        QByteArray raw;
        // The connection is closed this long after everything was sent (0: at once), so that
        // the close arrives on its own rather than with the last data.
        int closeDelayMs = 0;
        // Answers "Range: bytes=N-" with a 206 and the rest of the body, as a static file
        // server does, unless an If-Range names neither the ETag nor the Last-Modified header
        // of this reply (then the whole body comes with a 200).
        bool ranges = false;
    };

    struct Request {
        QByteArray method;
        QByteArray target; // as sent: a path, or an absolute address when used as a proxy
        QList<QPair<QByteArray, QByteArray>> headers;
        qint64 atMs = 0;         // when it arrived (milliseconds since the epoch)
        QByteArray path() const; // the path (and query) of the target
        QByteArray header(const QByteArray& name) const;
    };

    // With `tls` the server speaks only HTTPS, with a fresh self-signed certificate.
    explicit FaultServer(bool tls = false, QObject* parent = nullptr);
    ~FaultServer() override;

    bool tlsReady() const { return m_tlsReady; }
    quint16 port() const;
    QString origin() const;
    QString url(const QString& path) const { return origin() + path; }

    void route(const QString& path, const Reply& reply);
    // Successive requests of `path` get successive replies; the last one answers every later request.
    void routeSequence(const QString& path, const QList<Reply>& replies);
    // Answers `path` with what `answer` makes of each request (answers that depend on the
    // request's headers: cookies, Referer).
    void routeHandler(const QString& path, std::function<Reply(const Request&)> answer);
    // Answers `path` with a body generated on the fly (large files without holding them).
    void routeGenerated(const QString& path, qint64 size);
    // Unknown paths get 404 with a short HTML page.
    const QList<Request>& requests() const { return m_requests; }
    int requestCount(const QString& path) const;

    // Convenience answers.
    static Reply ok(const QByteArray& body, const QByteArray& contentType = "application/pdf");
    static Reply redirect(const QByteArray& location, int status = 302);

private:
    class Listener;
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const Request& request);
    static void answerRange(const Request& request, Reply& reply);
    void sendBody(QTcpSocket* socket, const Reply& reply);

    Listener* m_server;
    bool m_tls = false;
    bool m_tlsReady = false;
    QHash<QString, Reply> m_routes;
    QHash<QString, QList<Reply>> m_sequences;
    QHash<QString, int> m_sequenceServed;
    QHash<QString, qint64> m_generated;
    QHash<QString, std::function<Reply(const Request&)>> m_handlers;
    QList<Request> m_requests;
};

} // namespace mojing
