#pragma once

#include "platform/Timing.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

class QNetworkReply;

namespace mojing {

class EventPump;
class NetworkLayer;
class PartFile;

// Downloads one address to one file without blocking the UI: an asynchronous read with progress,
// a stall watchdog, exactly one second fetch when the read delivers nothing, and three events.
// It never touches the download list; its host maps the events to rows. One instance serves one
// download and is then discarded.
//
// The body is streamed into a temporary sibling of the target and renamed into place when the
// read has completed without a transport error, so memory stays flat and the target is replaced
// whole, never appended to. Sizes are those of the final response: a redirect's own length
// does not count.
class Downloader : public QObject {
    Q_OBJECT
public:
    // The two bytes (01 00) that reserve the target's name while the download runs.
    static inline const QByteArray kPlaceholder = QByteArray("\x01\x00", 2);

    Downloader(NetworkLayer& network, EventPump& pump, const Timing& timing, QObject* parent = nullptr);
    ~Downloader() override;

    // Takes the target name at once with the placeholder, so that the next slot's unique-name
    // check sees it, then starts reading `url` ("&amp;" read as "&"). The referrer is accepted
    // and not sent.
    void beginDownload(const QString& url, const QString& saveFile, const QString& referer = {});
    // Cancels the read in progress; no event follows. The placeholder goes unless the file was
    // put in place.
    void cancelAsyncRead();

    QString url() const { return m_url; }
    QString saveFile() const { return m_saveFile; }
    qint64 bytesMax() const { return m_bytesMax; }
    qint64 bytesRead() const { return m_bytesRead; }

    // True when `path` holds nothing but a placeholder (left behind by a killed program).
    static bool isPlaceholder(const QString& path);

signals:
    // During the read, only when the total size is known.
    void downloadProgress(qint64 bytesRead, qint64 bytesMax, const QString& saveFile);
    // The file has been written.
    void downloadComplete(qint64 bytesRead, qint64 bytesMax, const QString& saveFile);
    // "超时" (no progress for the watchdog limit) or "无法下载" (the transfer broke off, the second
    // fetch got nothing, or what arrived could not be put in place). The placeholder is gone.
    void downloadError(const QString& description, const QString& saveFile);

private:
    void startRead();
    void onReadyRead();
    void onRedirected();
    void reportProgress();
    void onFinished();
    void onWatchdog();
    void abortRead();
    void fail(const QString& description);
    void removePlaceholder();

    NetworkLayer& m_network;
    EventPump& m_pump;
    const Timing& m_timing;
    QTimer m_watchdog;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<PartFile> m_body;
    QString m_url;
    QString m_saveFile;
    qint64 m_bytesMax = 0;
    qint64 m_bytesRead = 0;
    qint64 m_received = 0; // bytes of the current response received (with or without a known total)
    qint64 m_lastSeen = 0;
    qint64 m_lastActivityMs = 0;
    bool m_fallback = false; // the second fetch is running
    bool m_done = false;
    bool m_committed = false;  // the file is in place
    bool m_readQueued = false; // the rest of the buffered body is read on the next turn
};

} // namespace mojing
