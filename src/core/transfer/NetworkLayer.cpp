#include "NetworkLayer.h"

#include "SharedCookieJar.h"

#include <QNetworkReply>
#include <QNetworkRequest>

using namespace Qt::StringLiterals;

namespace mojing {

NetworkLayer::NetworkLayer(QObject* parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)), m_jar(new SharedCookieJar(this)),
      m_userAgent(u"Mozilla/5.0 (X11; Linux x86_64)"_s) {
    m_manager->setCookieJar(m_jar);
    m_jar->setParent(this); // shared with the browsers' bridge; lives as long as the layer
    // Redirects are followed by Qt itself (the user-verified policy loses replies after a few hops
    // in this Qt release); they never go from https to http, and other schemes are refused.
    m_manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

NetworkLayer::~NetworkLayer() = default;

bool NetworkLayer::isAllowedScheme(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s;
}

QNetworkRequest NetworkLayer::buildRequest(const QUrl& url, const HeaderList& headers) const {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
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

void NetworkLayer::refuseOtherSchemes(QNetworkReply* reply) {
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& target) {
        if (!isAllowedScheme(target))
            reply->abort();
    });
}

QNetworkReply* NetworkLayer::get(const QUrl& url, const HeaderList& headers,
                                 const std::optional<QNetworkProxy>& proxy) {
    const QNetworkRequest request = buildRequest(url, headers);
    // The proxy is taken when the request is created, so a per-request proxy is set around it.
    const QNetworkProxy previous = m_manager->proxy();
    if (proxy)
        m_manager->setProxy(*proxy);
    QNetworkReply* reply = isAllowedScheme(url) ? m_manager->get(request) : nullptr;
    if (proxy)
        m_manager->setProxy(previous);
    if (!reply)
        return nullptr;
    refuseOtherSchemes(reply);
    return reply;
}

QNetworkReply* NetworkLayer::send(const QByteArray& method, const QUrl& url, const HeaderList& headers,
                                  const QByteArray& body) {
    if (!isAllowedScheme(url))
        return nullptr;
    const QNetworkRequest request = buildRequest(url, headers);
    // A HEAD answer announces a length it never sends; only the manager's own HEAD knows that.
    QNetworkReply* reply =
        method == "HEAD" ? m_manager->head(request) : m_manager->sendCustomRequest(request, method, body);
    refuseOtherSchemes(reply);
    return reply;
}

} // namespace mojing
