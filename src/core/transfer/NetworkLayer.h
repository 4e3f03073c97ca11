#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <optional>

class QNetworkReply;

namespace mojing {

class SharedCookieJar;

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// The HTTP layer of every transfer: one access manager and one cookie jar for the whole process
// (the GUI bridges the jar with the browsers' cookie store). Requests carry the configured
// User-Agent, never use a cached copy, verify TLS certificates, and follow at most 20 redirects,
// to http and https targets only.
class NetworkLayer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRedirects = 20;

    explicit NetworkLayer(QObject* parent = nullptr);
    ~NetworkLayer() override;

    QNetworkAccessManager& manager() { return *m_manager; }
    SharedCookieJar& cookieJar() { return *m_jar; }

    void setUserAgent(const QString& userAgent) { m_userAgent = userAgent; }
    QString userAgent() const { return m_userAgent; }

    // Starts a GET. `proxy` applies to this request only (method 1's proxy option); without it
    // the system's proxy settings apply. The caller owns the reply (deleteLater it). Null for an
    // address that is not http or https.
    QNetworkReply* get(const QUrl& url, const HeaderList& headers = {},
                       const std::optional<QNetworkProxy>& proxy = std::nullopt);
    // Starts a request with any method and body (the HTTP request control), under the same rules
    // as get(). The caller owns the reply. Null for an address that is not http or https.
    QNetworkReply* send(const QByteArray& method, const QUrl& url, const HeaderList& headers = {},
                        const QByteArray& body = {});

    // Only http and https targets are fetched or followed.
    static bool isAllowedScheme(const QUrl& url);

private:
    QNetworkRequest buildRequest(const QUrl& url, const HeaderList& headers) const;
    static void refuseOtherSchemes(QNetworkReply* reply);

    QNetworkAccessManager* m_manager;
    SharedCookieJar* m_jar;
    QString m_userAgent;
};

} // namespace mojing
