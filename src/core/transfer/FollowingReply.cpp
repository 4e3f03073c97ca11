#include "FollowingReply.h"

#include <QNetworkAccessManager>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
bool isFollowedStatus(int code) {
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

QUrl locationOf(const QNetworkReply& reply) {
    const QByteArray header = reply.rawHeader("Location").trimmed();
    QUrl target(QString::fromUtf8(header));
    if (!target.isValid())
        target = QUrl(QString::fromLatin1(header));
    return reply.url().resolved(target);
}
} // namespace

FollowingReply::FollowingReply(QNetworkAccessManager& manager, const QNetworkRequest& request,
                               const QByteArray& method, const QByteArray& body, int maxRedirects,
                               QObject* parent)
    : QObject(parent), m_manager(manager), m_request(request), m_method(method), m_body(body),
      m_redirectsLeft(maxRedirects) {
    // Qt follows nothing itself: every hop is a request of ours.
    m_request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    send();
}

FollowingReply::~FollowingReply() {
    release();
}

void FollowingReply::send() {
    ++m_requests;
    QNetworkReply* reply = nullptr;
    if (m_method == "GET")
        reply = m_manager.get(m_request);
    else if (m_method == "HEAD")
        reply = m_manager.head(m_request); // only the manager's HEAD expects no body
    else
        reply = m_manager.sendCustomRequest(m_request, m_method, m_body);
    m_reply = reply; // the manager's child, as the first hop is: both go with the manager
    if (m_readBufferSize > 0)
        reply->setReadBufferSize(m_readBufferSize);
    connect(reply, &QNetworkReply::metaDataChanged, this, &FollowingReply::onMetaData);
    connect(reply, &QNetworkReply::readyRead, this, &FollowingReply::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &FollowingReply::onFinished);
    connect(reply, &QNetworkReply::socketStartedConnecting, this, &FollowingReply::socketStartedConnecting);
    connect(reply, &QNetworkReply::requestSent, this, &FollowingReply::requestSent);
    connect(reply, &QNetworkReply::encrypted, this, &FollowingReply::encrypted);
}

void FollowingReply::onMetaData() {
    if (!m_reply || !m_next.isEmpty())
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && isFollowedStatus(status.toInt()) && m_reply->hasRawHeader("Location")) {
        const QUrl target = locationOf(*m_reply);
        const QString scheme = target.scheme().toLower();
        if (scheme != u"http"_s && scheme != u"https"_s) {
            m_error = QNetworkReply::ProtocolUnknownError;
            m_errorString = u"redirect to an address that is not http or https: "_s + target.toString();
        } else if (m_reply->url().scheme().toLower() == u"https"_s && scheme == u"http"_s) {
            m_error = QNetworkReply::InsecureRedirectError;
            m_errorString = u"redirect from https to http: "_s + target.toString();
        } else if (m_redirectsLeft < 1) {
            m_error = QNetworkReply::TooManyRedirectsError;
            m_errorString = u"too many redirects"_s;
        } else {
            m_next = target; // followed once this hop has ended; its page is nobody's business
            return;
        }
    }
    emit metaDataChanged();
}

void FollowingReply::onReadyRead() {
    if (!m_reply)
        return;
    if (!m_next.isEmpty()) {
        m_reply->readAll(); // the redirect's own page
        return;
    }
    emit readyRead();
}

void FollowingReply::onFinished() {
    if (!m_reply)
        return;
    if (m_next.isEmpty()) {
        m_finished = true;
        emit finished();
        return;
    }
    // The hop has ended (its connection is free for the next one): ask the target, once.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl target = std::exchange(m_next, QUrl());
    release();
    --m_redirectsLeft;
    const bool toGet =
        (status == 303 && m_method != "HEAD") || ((status == 301 || status == 302) && m_method == "POST");
    if (toGet) {
        m_method = "GET";
        m_body.clear();
        m_request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
        m_request.setHeader(QNetworkRequest::ContentLengthHeader, QVariant());
    }
    m_request.setUrl(target);
    send();
    emit redirected(target);
}

void FollowingReply::release() {
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

void FollowingReply::abort() {
    if (m_finished)
        return;
    m_next = QUrl();
    if (m_reply) {
        m_reply->disconnect(this);
        if (m_reply->isRunning())
            m_reply->abort();
    }
    if (!m_error) {
        m_error = QNetworkReply::OperationCanceledError;
        m_errorString = u"Operation canceled"_s;
    }
    m_finished = true;
    emit finished();
}

QUrl FollowingReply::url() const {
    return m_reply ? m_reply->url() : m_request.url();
}

QVariant FollowingReply::attribute(QNetworkRequest::Attribute code) const {
    return m_reply ? m_reply->attribute(code) : QVariant();
}

bool FollowingReply::hasRawHeader(const QByteArray& name) const {
    return m_reply && m_reply->hasRawHeader(name);
}

QByteArray FollowingReply::rawHeader(const QByteArray& name) const {
    return m_reply ? m_reply->rawHeader(name) : QByteArray();
}

FollowingReply::HeaderPairs FollowingReply::rawHeaderPairs() const {
    return m_reply ? m_reply->rawHeaderPairs() : HeaderPairs();
}

qint64 FollowingReply::bytesAvailable() const {
    return m_reply && m_next.isEmpty() ? m_reply->bytesAvailable() : 0;
}

QByteArray FollowingReply::read(qint64 maxBytes) {
    return m_reply && m_next.isEmpty() ? m_reply->read(maxBytes) : QByteArray();
}

QByteArray FollowingReply::readAll() {
    return m_reply && m_next.isEmpty() ? m_reply->readAll() : QByteArray();
}

void FollowingReply::setReadBufferSize(qint64 size) {
    m_readBufferSize = size;
    if (m_reply)
        m_reply->setReadBufferSize(size);
}

QNetworkReply::NetworkError FollowingReply::error() const {
    if (m_error)
        return *m_error;
    return m_reply ? m_reply->error() : QNetworkReply::NoError;
}

QString FollowingReply::errorString() const {
    if (m_error)
        return m_errorString;
    return m_reply ? m_reply->errorString() : QString();
}

} // namespace mojing
