#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;

namespace mojing {

// One request and the redirects it follows, each hop asked exactly once on a reply of its own.
//
// Qt's own redirect following can ask a redirecting address twice: the hop's worker stays
// connected to the reply's start signal until it is deleted on the network thread, so when the
// next hop starts before that deletion (a busy machine), the first request is sent again and
// dropped at once. Here every hop is a fresh request that Qt does not follow, so each reply has
// one worker, and each reply carries only its own response's headers.
//
// Redirects (301, 302, 303, 307, 308 with a Location) are followed to http and https targets,
// never from https to http, at most `maxRedirects` times; a 303 (and a 301 or 302 after a POST)
// continues as a GET without a body. A redirect that is not followed is the answer, ending with
// InsecureRedirectError (https to http), ProtocolUnknownError (another scheme) or
// TooManyRedirectsError. Signals and accessors speak of the final answer only: nothing of a hop
// being followed (its headers, its page) is reported.
class FollowingReply : public QObject {
    Q_OBJECT
public:
    using HeaderPairs = QList<QPair<QByteArray, QByteArray>>;

    // Sends the first request at once. `method` "GET", "HEAD" or any other verb with `body`.
    FollowingReply(QNetworkAccessManager& manager, const QNetworkRequest& request, const QByteArray& method,
                   const QByteArray& body, int maxRedirects, QObject* parent = nullptr);
    ~FollowingReply() override;

    // The address of the current hop (the final address once answered).
    QUrl url() const;
    QVariant attribute(QNetworkRequest::Attribute code) const;
    bool hasRawHeader(const QByteArray& name) const;
    QByteArray rawHeader(const QByteArray& name) const;
    HeaderPairs rawHeaderPairs() const;
    // The answer's body as it arrives.
    qint64 bytesAvailable() const;
    QByteArray read(qint64 maxBytes);
    QByteArray readAll();
    void setReadBufferSize(qint64 size);

    QNetworkReply::NetworkError error() const;
    QString errorString() const;
    bool isFinished() const { return m_finished; }
    bool isRunning() const { return !m_finished; }
    // Abandons the request; finished() follows at once.
    void abort();

    // Hops asked so far (1 for a request that was not redirected).
    int requestCount() const { return m_requests; }

signals:
    // The final answer's headers are in.
    void metaDataChanged();
    // More of the final answer's body is waiting.
    void readyRead();
    // The request has ended (answered, failed or aborted).
    void finished();
    // A redirect to `target` is being followed.
    void redirected(const QUrl& target);
    void socketStartedConnecting();
    void requestSent();
    void encrypted();

private:
    void send();
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void release();

    QNetworkAccessManager& m_manager;
    QNetworkRequest m_request;
    QByteArray m_method;
    QByteArray m_body;
    int m_redirectsLeft;
    QPointer<QNetworkReply> m_reply;
    QUrl m_next; // the target of the hop being followed; empty while none
    qint64 m_readBufferSize = 0;
    int m_requests = 0;
    bool m_finished = false;
    std::optional<QNetworkReply::NetworkError> m_error; // an error of our own (a refused redirect)
    QString m_errorString;
};

} // namespace mojing
