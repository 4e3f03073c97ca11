#include "HttpRequestControl.h"

#include "FollowingReply.h"
#include "HttpStatusTexts.h"
#include "PartFile.h"

#include <QSaveFile>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// Unread body the reply may hold: a large answer waits in the socket, not in memory.
constexpr qint64 kReadBuffer = 1024 * 1024;
} // namespace

HttpRequestControl::HttpRequestControl(NetworkLayer& network, const Timing& timing, QObject* parent)
    : QObject(parent), m_network(network) {
    m_reader.setInterval(int(timing.requestPoll.count()));
    connect(&m_reader, &QTimer::timeout, this, &HttpRequestControl::onTick);
}

HttpRequestControl::~HttpRequestControl() {
    m_reader.stop();
    dropReply();
}

bool HttpRequestControl::open(const QString& method, const QString& url, const QString& saveFile) {
    m_downOk = false;
    m_reader.stop();
    dropReply();
    ++m_generation;
    m_body.clear();
    m_saving.reset();
    m_sent = false;
    m_status = 0;
    m_statusText.clear();
    m_responseHeaders.clear();
    m_headers.clear();
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.host().isEmpty() || !NetworkLayer::isAllowedScheme(parsed)) {
        m_opened = false;
        m_readyState = 0;
        return false;
    }
    m_method = method.trimmed().toUpper().toLatin1();
    m_url = parsed;
    m_saveFile = saveFile;
    m_opened = true;
    m_readyState = 1;
    return true;
}

void HttpRequestControl::setRequestHeader(const QString& name, const QString& value) {
    if (!m_opened || name.trimmed().isEmpty())
        return;
    m_headers.append({name.trimmed().toLatin1(), value.trimmed().toLatin1()});
}

void HttpRequestControl::send(const QByteArray& body) {
    // A second send would raise the first answer's event and add to its body.
    if (!m_opened || m_sent || m_reply)
        return;
    m_reply = m_network.send(m_method.isEmpty() ? QByteArray("GET") : m_method, m_url, m_headers, body);
    if (!m_reply)
        return;
    m_sent = true;
    m_reply->setReadBufferSize(kReadBuffer);
    connect(m_reply, &FollowingReply::metaDataChanged, this, &HttpRequestControl::onMetaData);
    connect(m_reply, &FollowingReply::readyRead, this, &HttpRequestControl::onReadyRead);
    connect(m_reply, &FollowingReply::finished, this, &HttpRequestControl::onFinished);
    m_reader.start();
}

void HttpRequestControl::abort() {
    m_reader.stop();
    ++m_generation;
    dropReply();
    m_saving.reset();
    m_opened = false;
    m_readyState = 0;
}

void HttpRequestControl::dropReply() {
    if (!m_reply)
        return;
    FollowingReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void HttpRequestControl::onMetaData() {
    if (!m_reply)
        return;
    m_status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_statusText =
        QString::fromLatin1(m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    m_responseHeaders = m_reply->rawHeaderPairs();
    m_readyState = std::max(m_readyState, 2);
    if (m_status == 200 && !m_saveFile.isEmpty() && !m_saving && m_body.isEmpty()) {
        m_saving = std::make_unique<PartFile>(m_saveFile);
        if (!m_saving->open())
            m_saving.reset(); // kept in memory instead, and saved whole at the end if possible
    }
}

void HttpRequestControl::onReadyRead() {
    if (!m_reply)
        return;
    const QByteArray data = m_reply->readAll();
    if (m_saving) {
        if (!m_saving->write(data))
            m_saving->discard(); // a full disk: the old file stays as it is
    } else {
        m_body += data;
    }
    m_readyState = std::max(m_readyState, 3);
}

void HttpRequestControl::onFinished() {
    if (!m_reply)
        return;
    onMetaData();
    onReadyRead();
    // Without an answer from the server (refused, reset, no such host) there is no status.
    if (!m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        m_status = 0;
        m_statusText.clear();
    }
    FollowingReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    m_readyState = 4;
}

void HttpRequestControl::onTick() {
    const quint64 generation = m_generation;
    emit readyStateChanged();
    // A slot may have aborted or reopened the request.
    if (generation != m_generation || !m_reader.isActive() || m_readyState != 4)
        return;
    m_reader.stop();
    m_downOk = true;
    if (m_status == 200) {
        saveBody();
        emit dataArrived();
        return;
    }
    m_saving.reset();
    if (m_status >= 0 && m_status <= HttpStatusTexts::kLastCode)
        emit dataError(HttpStatusTexts::describe(m_status));
}

void HttpRequestControl::saveBody() {
    // An empty answer leaves an existing file alone; a new body replaces it whole or not at all.
    if (m_saving) {
        if (m_saving->isOpen() && m_saving->size() > 0)
            m_saving->commit();
        m_saving.reset();
        return;
    }
    if (m_saveFile.isEmpty() || m_body.isEmpty())
        return;
    QSaveFile file(m_saveFile);
    if (file.open(QIODevice::WriteOnly) && file.write(m_body) == m_body.size())
        file.commit();
}

int HttpRequestControl::status() const {
    return m_status;
}

QString HttpRequestControl::statusText() const {
    return m_statusText;
}

QString HttpRequestControl::responseHeader(const QString& name) const {
    const QByteArray wanted = name.trimmed().toLatin1().toLower();
    for (const auto& [key, value] : m_responseHeaders) {
        if (key.toLower() == wanted)
            return QString::fromLatin1(value);
    }
    return {};
}

QString HttpRequestControl::allResponseHeaders() const {
    QString text;
    for (const auto& [key, value] : m_responseHeaders)
        text += QString::fromLatin1(key) + u": "_s + QString::fromLatin1(value) + u"\r\n"_s;
    return text;
}

QString HttpRequestControl::responseText() const {
    const QString type = responseHeader(u"Content-Type"_s);
    const qsizetype at = type.indexOf(u"charset="_s, 0, Qt::CaseInsensitive);
    QString charset = at >= 0 ? type.mid(at + 8).section(u';', 0, 0).trimmed() : QString();
    charset.remove(u'"');
    QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.toLatin1().constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(m_body);
}

} // namespace mojing
