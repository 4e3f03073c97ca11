#include "Downloader.h"

#include "NetworkLayer.h"
#include "platform/EventPump.h"

#include <QFile>
#include <QNetworkReply>
#include <QSaveFile>
#include <QTemporaryFile>
#include <filesystem>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// Unread body the reply may hold; the socket waits while the file catches up, so memory stays
// flat whatever the file size.
constexpr qint64 kReadBuffer = 4 * 1024 * 1024;

void writePlaceholder(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("\x01\x00", 2);
}
} // namespace

Downloader::Downloader(NetworkLayer& network, EventPump& pump, const Timing& timing, QObject* parent)
    : QObject(parent), m_network(network), m_pump(pump), m_timing(timing) {
    m_watchdog.setInterval(int(timing.tick.count()));
    connect(&m_watchdog, &QTimer::timeout, this, &Downloader::onWatchdog);
}

Downloader::~Downloader() {
    cancelAsyncRead();
}

void Downloader::beginDownload(const QString& url, const QString& saveFile, const QString& referer) {
    Q_UNUSED(referer);
    m_saveFile = saveFile;
    writePlaceholder(saveFile);
    m_lastActivityMs = m_timing.nowMs();
    m_watchdog.start();
    m_url = QString(url).replace(u"&amp;"_s, u"&"_s, Qt::CaseInsensitive).trimmed();
    startRead();
}

void Downloader::startRead() {
    m_received = 0;
    // A hidden sibling of the target (same folder, so the final rename never crosses a disk).
    m_body = std::make_unique<QTemporaryFile>(m_saveFile + u".XXXXXX.part"_s);
    if (!m_body->open())
        m_body.reset(); // bytes are still counted; the completion then has nothing to put in place
    m_reply = m_network.get(QUrl(m_url));
    if (!m_reply) {
        QTimer::singleShot(0, this, &Downloader::onFinished);
        return;
    }
    m_reply->setReadBufferSize(kReadBuffer);
    connect(m_reply, &QNetworkReply::readyRead, this, &Downloader::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &Downloader::onFinished);
    if (!m_fallback) // the second fetch reports no progress
        connect(m_reply, &QNetworkReply::metaDataChanged, this, &Downloader::reportProgress);
}

void Downloader::reportProgress() {
    // Reported from the received bytes themselves: the reply's own progress signal is throttled
    // and may stay silent for a body that arrives in one piece and then stalls.
    if (!m_reply || m_fallback)
        return;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const qint64 total = length.isValid() ? length.toLongLong() : 0;
    if (total < 1)
        return;
    m_bytesMax = total;
    m_bytesRead = m_received;
    emit downloadProgress(m_bytesRead, m_bytesMax, m_saveFile);
}

void Downloader::onReadyRead() {
    if (!m_reply)
        return;
    const QByteArray data = m_reply->readAll();
    m_received += data.size();
    if (m_body)
        m_body->write(data);
    if (!data.isEmpty())
        reportProgress();
}

void Downloader::onFinished() {
    if (m_done)
        return;
    onReadyRead();
    const qint64 received = m_received;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    if (received < 1) {
        m_body.reset(); // removes the temporary file
        if (!m_fallback) {
            m_fallback = true; // exactly one second attempt
            startRead();
            return;
        }
        m_done = true;
        emit downloadError(u"无法下载"_s, m_saveFile);
        return;
    }
    m_done = true;
    if (!commit()) {
        // The bytes arrived but could not be put in place (no such folder, disk full, a name
        // the file system refuses): that is a failed download, not a finished one.
        emit downloadError(u"无法下载"_s, m_saveFile);
        return;
    }
    if (m_fallback) {
        const qint64 length = QFile(m_saveFile).size();
        emit downloadComplete(length, length, m_saveFile);
        return;
    }
    // Without an announced size the body that arrived is the whole file.
    emit downloadComplete(received, m_bytesMax >= 1 ? m_bytesMax : received, m_saveFile);
}

bool Downloader::commit() {
    if (!m_body)
        return false;
    // Renamed over the target in one step (the placeholder or an older file is replaced whole).
    // Unlike a save file it is not forced to disk first: a download can be fetched again, and
    // syncing hundreds of megabytes would double the time of a large file.
    // A temporary file is private to its owner; the download gets the placeholder's permissions.
    if (QFile::exists(m_saveFile))
        m_body->setPermissions(QFile::permissions(m_saveFile));
    m_body->close();
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(m_body->fileName().toStdU16String()),
                            std::filesystem::path(m_saveFile.toStdU16String()), error);
    if (!error)
        m_body->setAutoRemove(false);
    m_body.reset();
    return !error;
}

void Downloader::onWatchdog() {
    if (m_done) {
        m_watchdog.stop();
        return;
    }
    // Every received byte counts as progress, known total or not: a long download of unknown
    // size that keeps receiving data is not a stall.
    if (m_received != m_lastSeen) {
        m_lastSeen = m_received;
        m_lastActivityMs = m_timing.nowMs();
        return;
    }
    if (m_timing.nowMs() - m_lastActivityMs >= m_timing.watchdogLimit.count()) {
        m_watchdog.stop();
        abortRead();
        m_done = true;
        emit downloadError(u"超时"_s, m_saveFile);
    }
}

void Downloader::abortRead() {
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_body.reset(); // removes the temporary file
}

void Downloader::cancelAsyncRead() {
    m_done = true;
    m_watchdog.stop();
    abortRead();
}

} // namespace mojing
