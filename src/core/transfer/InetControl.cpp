#include "InetControl.h"

#include "FollowingReply.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// The reply holds at most this much unread body; the socket waits while the reader catches up,
// so memory stays flat however large the file is.
constexpr qint64 kReadBuffer = 1024 * 1024;

HeaderList parseHeaderLines(const QString& lines) {
    HeaderList headers;
    for (const QString& line : lines.split(u"\r\n"_s, Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        headers.append({line.left(colon).trimmed().toLatin1(), line.mid(colon + 1).trimmed().toUtf8()});
    }
    return headers;
}
} // namespace

InetControl::InetControl(NetworkLayer& network, QObject* parent) : QObject(parent), m_network(network) {}

InetControl::~InetControl() {
    release();
}

bool InetControl::stillExecuting() const {
    return m_executing;
}

qint64 InetControl::bytesBuffered() const {
    return m_reply ? m_reply->bytesAvailable() : 0;
}

void InetControl::execute(const QString& url, const QString& operation, const QString& data,
                          const QString& requestHeaders) {
    Q_UNUSED(operation); // every transfer of the program is a GET
    Q_UNUSED(data);
    cancel();
    m_responseCode = 0;
    m_responseInfo.clear();
    m_wholeResource = false;
    attach(start(url, requestHeaders));
}

void InetControl::openUrl(const QString& url) {
    cancel();
    m_responseCode = 0;
    m_responseInfo.clear();
    m_wholeResource = true;
    m_resource.clear();
    attach(start(url, {}));
}

FollowingReply* InetControl::start(const QString& url, const QString& requestHeaders) {
    std::optional<QNetworkProxy> viaProxy;
    if (accessType == 2 && !proxy.trimmed().isEmpty()) {
        const QString address = proxy.trimmed();
        const qsizetype colon = address.lastIndexOf(u':');
        bool ok = false;
        const int port = colon > 0 ? address.mid(colon + 1).toInt(&ok) : 0;
        viaProxy = QNetworkProxy(QNetworkProxy::HttpProxy, colon > 0 ? address.left(colon) : address,
                                 quint16(ok ? port : remotePort));
    }
    return m_network.get(QUrl(url.trimmed()), parseHeaderLines(requestHeaders), viaProxy);
}

void InetControl::attach(FollowingReply* reply) {
    m_headersAvailable = false;
    m_headerBlock.clear();
    m_finalUrl.clear();
    m_ended = false;
    m_cancelled = false;
    if (!reply) {
        m_ended = true;
        m_responseCode = int(QNetworkReply::ProtocolUnknownError);
        m_responseInfo = u"unsupported address"_s;
        setState(icError);
        // Reported from the event loop, as any other end is, never from inside the call.
        m_reply = nullptr;
        QTimer::singleShot(0, this, [this, generation = ++m_generation] {
            if (generation != m_generation || m_cancelled)
                return;
            if (m_wholeResource) {
                m_wholeResource = false;
                emit openUrlFinished({});
            } else {
                emit responseFinished();
            }
        });
        return;
    }
    ++m_generation;
    m_reply = reply;
    reply->setReadBufferSize(kReadBuffer);
    setExecuting(true);
    connect(reply, &FollowingReply::socketStartedConnecting, this, [this] { setState(icConnecting); });
    connect(reply, &FollowingReply::encrypted, this, [this] { setState(icConnected); });
    connect(reply, &FollowingReply::requestSent, this, [this] { setState(icRequestSent); });
    connect(reply, &FollowingReply::metaDataChanged, this, &InetControl::captureHeaders);
    connect(reply, &FollowingReply::readyRead, this, [this] {
        captureHeaders();
        if (m_wholeResource && m_reply)
            m_resource += m_reply->readAll();
        emit bodyDataArrived();
    });
    connect(reply, &FollowingReply::finished, this, [this, reply] {
        captureHeaders();
        m_ended = true;
        const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        if (reply->error() != QNetworkReply::NoError) {
            m_responseCode = int(reply->error());
            m_responseInfo = reply->errorString();
        }
        setExecuting(false);
        setState(answered ? icResponseCompleted : icError);
        if (m_wholeResource) {
            m_resource += reply->readAll();
            // A body cut short is not the resource.
            QByteArray body = transportFailed() ? QByteArray() : std::exchange(m_resource, {});
            m_resource.clear();
            m_wholeResource = false;
            release();
            emit openUrlFinished(body);
            return;
        }
        emit responseFinished();
    });
}

void InetControl::captureHeaders() {
    if (m_headersAvailable || !m_reply)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    const int code = status.toInt();
    QString reason =
        QString::fromLatin1(m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    if (reason.isEmpty() && code == 200)
        reason = u"OK"_s; // HTTP/2 carries no reason phrase
    const bool http2 = m_reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
    QString block = (http2 ? u"HTTP/2.0 "_s : u"HTTP/1.1 "_s) + QString::number(code) + u' ' + reason;
    for (const auto& [name, value] : m_reply->rawHeaderPairs())
        block += u"\r\n"_s + QString::fromLatin1(name) + u": "_s + QString::fromUtf8(value);
    m_headerBlock = block;
    m_finalUrl = m_reply->url().toString();
    m_headersAvailable = true;
    setState(icResponseReceived);
    emit headersArrived();
}

bool InetControl::transportFailed() const {
    return m_responseCode != 0 && NetworkLayer::isTransportError(QNetworkReply::NetworkError(m_responseCode));
}

QString InetControl::getHeader() const {
    return m_headerBlock;
}

QString InetControl::getHeader(const QString& name) const {
    const QStringList lines = m_headerBlock.split(u"\r\n"_s);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0 && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

QByteArray InetControl::getChunk(qint64 maxBytes) {
    if (!m_reply || m_wholeResource)
        return {};
    return m_reply->read(maxBytes);
}

void InetControl::cancel() {
    ++m_generation; // a pending report of an unsupported address is void
    m_wholeResource = false;
    m_resource.clear();
    if (!m_reply)
        return;
    release();
    m_ended = true;
    m_cancelled = true;
    setExecuting(false);
}

void InetControl::release() {
    if (!m_reply)
        return;
    FollowingReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

void InetControl::setState(int state) {
    emit stateChanged(state);
}

void InetControl::setExecuting(bool executing) {
    if (m_executing == executing)
        return;
    m_executing = executing;
    emit executingChanged(executing);
}

} // namespace mojing
