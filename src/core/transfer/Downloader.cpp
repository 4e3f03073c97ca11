#include "Downloader.h"

#include "FollowingReply.h"
#include "HeaderHelpers.h"
#include "NetworkLayer.h"
#include "PartFile.h"
#include "platform/EventPump.h"
#include "platform/LinkFreePath.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// Unread body the reply may hold; the socket waits while the file catches up, so memory stays
// flat whatever the file size. Qt's network thread holds as much again on its way to the reply:
// 4 MB raised a transfer's peak by about 12 MB over 1 MB and was no faster.
constexpr qint64 kReadBuffer = 1024 * 1024;
// Bytes taken from the reply per turn of the event loop: six slots of a fast server each handing
// over a full buffer at once would otherwise hold the window for a noticeable moment.
constexpr qint64 kReadSlice = 256 * 1024;

QString headerText(const FollowingReply& reply, const QByteArray& name) {
    return QString::fromLatin1(reply.rawHeader(name));
}

// The answer's Content-Length, when it has a readable one.
std::optional<qint64> contentLengthOf(const FollowingReply& reply) {
    const QByteArray text = reply.rawHeader("Content-Length").trimmed();
    bool ok = false;
    const qint64 length = text.toLongLong(&ok);
    if (!ok || length < 0 || text.startsWith('+') || text.startsWith('-'))
        return std::nullopt;
    return length;
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

bool Downloader::isPlaceholder(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != kPlaceholder.size())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == kPlaceholder;
}

void Downloader::beginDownload(const QString& url, const QString& saveFile, const QString& referer) {
    // Platforms give some PDFs only to readers who come from the article's page.
    m_referer = referer.trimmed();
    m_saveFile = saveFile;
    // Only a free name is taken: a file that is to be overwritten stays whole until the new one
    // replaces it.
    QFile placeholder(saveFile);
    m_ownsPlaceholder = placeholder.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    if (m_ownsPlaceholder)
        placeholder.write(kPlaceholder);
    placeholder.close();
    m_lastActivityMs = m_timing.nowMs();
    m_watchdog.start();
    m_url = QString(url).replace(u"&amp;"_s, u"&"_s, Qt::CaseInsensitive).trimmed();
    startRead();
}

void Downloader::startRead() {
    m_received = 0;
    m_bytesMax = 0;
    m_offset = 0;
    m_answered = false;
    m_resumeInfo.reset();
    m_body.reset();
    // The second fetch asks for the whole file: it runs only when the first brought nothing.
    m_kept = m_fallback ? std::nullopt : KeptParts::find(QFileInfo(m_saveFile).path(), m_url);
    HeaderList headers = m_kept ? KeptParts::rangeHeaders(*m_kept) : HeaderList();
    if (!m_referer.isEmpty())
        headers.append({"Referer", m_referer.toUtf8()});
    m_reply = m_network.get(QUrl(m_url), headers);
    if (!m_reply) {
        QTimer::singleShot(0, this, &Downloader::onFinished);
        return;
    }
    m_reply->setReadBufferSize(kReadBuffer);
    connect(m_reply, &FollowingReply::readyRead, this, &Downloader::onReadyRead);
    connect(m_reply, &FollowingReply::redirected, this, &Downloader::onRedirected);
    connect(m_reply, &FollowingReply::finished, this, &Downloader::onFinished);
    connect(m_reply, &FollowingReply::metaDataChanged, this, &Downloader::onMetaData);
}

void Downloader::onMetaData() {
    if (!m_reply || m_done)
        return;
    const QVariant statusValue = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusValue.isValid())
        return;
    const int status = statusValue.toInt();
    if (m_answered) {
        reportProgress();
        return;
    }
    m_answered = true;
    m_status = status;
    m_finalUrl = m_reply->url().toString();
    m_contentType = headerText(*m_reply, "Content-Type");
    if (HeaderHelpers::asksForPause(status)) {
        // Nothing of the answer is the file; a part kept earlier waits for the attempt after
        // the pause.
        m_retryAfter = headerText(*m_reply, "Retry-After");
        m_kept.reset();
        failSoon(kServerPause);
        return;
    }
    const std::optional<qint64> length = contentLengthOf(*m_reply);
    if (m_kept) {
        const KeptPart kept = *std::exchange(m_kept, std::nullopt);
        if (status == 206 &&
            KeptParts::continues(kept, headerText(*m_reply, "Content-Range"), headerText(*m_reply, "ETag"))) {
            m_body = std::make_unique<PartFile>(m_saveFile);
            if (!KeptParts::take(kept, *m_body)) {
                m_body.reset();
                failSoon(kCannotDownload);
                return;
            }
            m_offset = m_body->size();
            m_resumeInfo = kept.info;
        } else {
            // A 200 brings the whole file anew; any other answer is not the rest of this part.
            KeptParts::discard(kept);
            if (status == 206) {
                failSoon(kCannotDownload);
                return;
            }
        }
    }
    if (!m_body) {
        m_body = std::make_unique<PartFile>(m_saveFile);
        if (!m_body->open())
            m_body.reset(); // bytes are still counted; the completion then has nothing to put in place
        m_resumeInfo = KeptParts::fromResponse(m_url, headerText(*m_reply, "Accept-Ranges"),
                                               headerText(*m_reply, "ETag"),
                                               headerText(*m_reply, "Last-Modified"), length.value_or(0));
    }
    reportProgress();
}

void Downloader::onRedirected() {
    // What a redirect announced or carried belongs to it, not to the file that follows.
    m_received = 0;
    m_bytesMax = 0;
    m_bytesRead = 0;
}

void Downloader::reportProgress() {
    // Reported from the received bytes themselves: the reply's own progress signal is throttled
    // and may stay silent for a body that arrives in one piece and then stalls.
    if (!m_reply || m_fallback || !m_answered) // the second fetch reports no progress
        return;
    // A resumed answer counts the whole file: the kept bytes and the rest.
    qint64 total = m_offset > 0 && m_resumeInfo ? m_resumeInfo->total : 0;
    if (total < 1) {
        total = contentLengthOf(*m_reply).value_or(0);
    }
    if (total < 1)
        return;
    m_bytesMax = total;
    m_bytesRead = m_offset + m_received;
    emit downloadProgress(m_bytesRead, m_bytesMax, m_saveFile);
}

void Downloader::onReadyRead() {
    if (!m_reply || m_done)
        return;
    if (!m_answered) {
        onMetaData();
        if (!m_reply || m_done)
            return;
    }
    const QByteArray data = m_reply->read(kReadSlice);
    if (!m_answered)
        return; // a redirect's own page
    m_received += data.size();
    if (m_body && !m_body->write(data))
        m_body.reset(); // a full disk: the download cannot be put in place
    if (!data.isEmpty())
        reportProgress(); // the host may end the download here
    if (m_reply && !m_done && m_reply->bytesAvailable() > 0 && !m_readQueued) {
        m_readQueued = true; // the rest on the next turn
        QTimer::singleShot(0, this, [this] {
            m_readQueued = false;
            onReadyRead();
        });
    }
}

void Downloader::onFinished() {
    if (m_done)
        return;
    QPointer<Downloader> alive(this);
    if (!m_answered)
        onMetaData(); // an answer without a body may end before its headers were looked at
    if (!alive || m_done)
        return;
    while (alive && !m_done && m_reply && m_reply->bytesAvailable() > 0)
        onReadyRead();
    if (!alive || m_done)
        return; // the host ended the download from the progress event (too large)
    const qint64 received = m_received;
    bool broken = false;
    if (m_reply) {
        // Qt does not always report a connection that ended early (it may take the close for
        // the end of the body), so a body shorter or longer than its announced length counts
        // as broken too.
        const std::optional<qint64> length = contentLengthOf(*m_reply);
        broken = NetworkLayer::isTransportError(m_reply->error()) ||
                 (received > 0 && length && *length != received);
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
        fail(kCannotDownload);
        return;
    }
    if (broken) {
        // The connection ended before the response did (a cut body, a failed proxy): what
        // arrived is not the file, but may be the start of it.
        fail(kCannotDownload, true);
        return;
    }
    if (m_body && m_fileCheck && m_body->flush()) {
        const QString problem = m_fileCheck(m_body->temporaryPath());
        if (!problem.isEmpty()) {
            fail(problem); // nothing of it goes under the file's name
            return;
        }
    }
    m_done = true;
    m_watchdog.stop();
    m_committed = m_body && m_body->commit();
    m_body.reset();
    if (!m_committed) {
        // The bytes arrived but could not be put in place (no such folder, disk full, a name
        // the file system refuses): that is a failed download, not a finished one.
        m_done = false;
        fail(kCannotDownload);
        return;
    }
    // Whatever an earlier attempt kept of this address is stale now.
    KeptParts::discard(QFileInfo(m_saveFile).path(), m_url);
    if (m_fallback) {
        const qint64 length = QFileInfo(m_saveFile).size();
        emit downloadComplete(length, length, m_saveFile);
        return;
    }
    // Without an announced size the body that arrived is the whole file.
    const qint64 whole = m_offset + received;
    emit downloadComplete(whole, m_bytesMax >= 1 ? m_bytesMax : whole, m_saveFile);
}

void Downloader::failSoon(const QString& description) {
    // The reply is not aborted inside its own header signal (Qt reports its error twice then);
    // nothing more of it is read meanwhile.
    m_done = true;
    m_failPending = true;
    m_watchdog.stop();
    if (m_reply)
        m_reply->disconnect(this);
    QTimer::singleShot(0, this, [this, description] {
        if (std::exchange(m_failPending, false))
            fail(description);
    });
}

void Downloader::fail(const QString& description, bool keepable) {
    if (keepable && m_body && m_resumeInfo && m_body->size() > 0 && m_body->size() < m_resumeInfo->total)
        KeptParts::keep(*m_body, *m_resumeInfo);
    m_done = true;
    m_watchdog.stop();
    abortRead();
    removePlaceholder();
    emit downloadError(description, m_saveFile);
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
    if (m_timing.nowMs() - m_lastActivityMs >= m_timing.watchdogLimit.count())
        fail(kTimeout, true);
}

void Downloader::abortRead() {
    if (m_reply) {
        FollowingReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        if (reply->isRunning())
            reply->abort();
        reply->deleteLater();
    }
    m_body.reset(); // removes the temporary file
}

void Downloader::removePlaceholder() {
    // Only the placeholder this download wrote: a file that replaced it meanwhile, or the one that
    // was there before, is not this download's; nor is a link put under the name since.
    if (m_ownsPlaceholder && !m_committed && !m_saveFile.isEmpty() && isPlaceholder(m_saveFile))
        LinkFreePath::removeFile(QFileInfo(m_saveFile).absolutePath(), m_saveFile);
    m_ownsPlaceholder = false;
}

void Downloader::cancelAsyncRead() {
    const bool wasRunning = !m_done || std::exchange(m_failPending, false);
    m_done = true;
    m_watchdog.stop();
    abortRead();
    if (wasRunning)
        removePlaceholder();
}

} // namespace mojing
