#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <optional>

namespace mojing {

class FollowingReply;
class SharedCookieJar;

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// The HTTP layer of every transfer: one cookie jar for the whole process (the GUI bridges it with
// the browsers' cookie store) and one access manager per way out: the system's proxy
// configuration, or one named proxy. Requests carry the configured User-Agent, never use a cached
// copy, verify TLS certificates, and follow at most 20 redirects, to http and https targets only
// and never from https to http, each hop asked once (FollowingReply); every hop of a request
// leaves the way its first did.
class NetworkLayer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRedirects = 20;

    explicit NetworkLayer(QObject* parent = nullptr);
    ~NetworkLayer() override;

    SharedCookieJar& cookieJar() { return *m_jar; }

    void setUserAgent(const QString& userAgent) { m_userAgent = userAgent; }
    QString userAgent() const { return m_userAgent; }

    // Starts a GET. With `proxy` (method 1's proxy option) the request and each of its redirects
    // go through that proxy; without it the system's proxy configuration applies (the proxy
    // environment variables, or the desktop's settings). The caller owns the reply (deleteLater
    // it; it goes with the layer at the latest). Null for an address that is not http or https.
    FollowingReply* get(const QUrl& url, const HeaderList& headers = {},
                        const std::optional<QNetworkProxy>& proxy = std::nullopt);
    // Starts a GET that follows no redirect: a 3xx answer arrives as it is, its Location saying
    // where to go next (the caller follows it, hop by hop). The system's proxy configuration
    // applies. The caller owns the reply. Null for an address that is not http or https.
    QNetworkReply* getWithoutRedirects(const QUrl& url, const HeaderList& headers = {});
    // Starts a request with any method and body (the HTTP request control), under the same rules
    // as get(). The caller owns the reply. Null for an address that is not http or https.
    FollowingReply* send(const QByteArray& method, const QUrl& url, const HeaderList& headers = {},
                         const QByteArray& body = {});

    // Only http and https targets are fetched or followed.
    static bool isAllowedScheme(const QUrl& url);
    // The error says the transfer itself broke (connection, proxy, TLS, redirects, a body cut
    // short), as opposed to an HTTP error status whose page did arrive.
    static bool isTransportError(QNetworkReply::NetworkError error);

private:
    QNetworkRequest buildRequest(const QUrl& url, const HeaderList& headers) const;
    QNetworkAccessManager* managerFor(const std::optional<QNetworkProxy>& proxy);
    QNetworkAccessManager* createManager();

    QNetworkAccessManager* m_system;
    QHash<QString, QNetworkAccessManager*> m_viaProxy; // "host:port" -> its manager
    SharedCookieJar* m_jar;
    QString m_userAgent;
};

} // namespace mojing
