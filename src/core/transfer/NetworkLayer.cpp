#include "NetworkLayer.h"

#include "FollowingReply.h"
#include "SharedCookieJar.h"

#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

// Asks the system for every request (and every redirect hop) of one manager, without switching
// the process-wide setting.
class SystemProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        return systemProxyForQuery(query);
    }
};

} // namespace

NetworkLayer::NetworkLayer(QObject* parent)
    : QObject(parent), m_jar(new SharedCookieJar(this)), m_userAgent(u"Mozilla/5.0 (X11; Linux x86_64)"_s) {
    m_system = createManager();
    m_system->setProxyFactory(new SystemProxyFactory); // the manager owns it
}

NetworkLayer::~NetworkLayer() {
    // The managers and their replies go before the jar they share.
    qDeleteAll(m_viaProxy);
    delete m_system;
}

QNetworkAccessManager* NetworkLayer::createManager() {
    auto* manager = new QNetworkAccessManager(this);
    manager->setCookieJar(m_jar);
    m_jar->setParent(this); // shared by every manager and the browsers' bridge; lives as long as the layer
    // Redirects are followed hop by hop by FollowingReply, never by the manager.
    manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    return manager;
}

QNetworkAccessManager* NetworkLayer::managerFor(const std::optional<QNetworkProxy>& proxy) {
    if (!proxy)
        return m_system;
    // Qt asks the manager for a proxy again at every redirect hop, so a proxy that was set only
    // while the first request was created would be lost on the way: each proxy has its own.
    const QString key = proxy->hostName() + u':' + QString::number(proxy->port());
    QNetworkAccessManager*& manager = m_viaProxy[key];
    if (!manager) {
        manager = createManager();
        manager->setProxy(*proxy);
    }
    return manager;
}

bool NetworkLayer::isAllowedScheme(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s;
}

bool NetworkLayer::isTransportError(QNetworkReply::NetworkError error) {
    // 1..99 connection errors (a closed connection, a timeout, TLS), 101..199 proxy errors,
    // 301..399 protocol errors (a malformed or cut-off response). 201..299 and 401..499 are HTTP
    // error statuses: the server's page arrived whole.
    const int code = int(error);
    return code != int(QNetworkReply::OperationCanceledError) &&
           ((code > 0 && code < 200) || (code >= 300 && code < 400));
}

QNetworkRequest NetworkLayer::buildRequest(const QUrl& url, const HeaderList& headers) const {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    // The body is written as it comes and its length is compared with Content-Length, so it must
    // arrive unencoded.
    request.setRawHeader("Accept-Encoding", "identity");
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    return request;
}

FollowingReply* NetworkLayer::get(const QUrl& url, const HeaderList& headers,
                                  const std::optional<QNetworkProxy>& proxy) {
    if (!isAllowedScheme(url))
        return nullptr;
    QNetworkAccessManager* manager = managerFor(proxy);
    // The manager's child, as its own replies are: whatever a caller still holds goes with it.
    return new FollowingReply(*manager, buildRequest(url, headers), "GET", {}, kMaxRedirects, manager);
}

QNetworkReply* NetworkLayer::getWithoutRedirects(const QUrl& url, const HeaderList& headers) {
    if (!isAllowedScheme(url))
        return nullptr;
    QNetworkRequest request = buildRequest(url, headers);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return m_system->get(request);
}

FollowingReply* NetworkLayer::send(const QByteArray& method, const QUrl& url, const HeaderList& headers,
                                   const QByteArray& body) {
    if (!isAllowedScheme(url))
        return nullptr;
    return new FollowingReply(*m_system, buildRequest(url, headers), method, body, kMaxRedirects, m_system);
}

} // namespace mojing
