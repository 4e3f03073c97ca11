#pragma once

#include "platform/Timing.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

class QNetworkReply;
class QTemporaryFile;

namespace mojing {

class EventPump;
class NetworkLayer;

// Downloads one address to one file without blocking the UI: an asynchronous read with progress,
// a stall watchdog, exactly one second fetch when the read delivers nothing, and three events.
// It never touches the download list; its host maps the events to rows. One instance serves one
// download and is then discarded.
//
// The body is streamed into a temporary sibling of the target and renamed into place when the
// read completes, so memory stays flat and the target is replaced whole, never appended to.
class Downloader : public QObject {
    Q_OBJECT
public:
    Downloader(NetworkLayer& network, EventPump& pump, const Timing& timing, QObject* parent = nullptr);
    ~Downloader() override;

    // Takes the target name at once with a two-byte placeholder (01 00), so that the next slot's
    // unique-name check sees it, then starts reading `url` ("&amp;" read as "&"). The referrer is
    // accepted and not sent.
    void beginDownload(const QString& url, const QString& saveFile, const QString& referer = {});
    // Cancels the read in progress; no event follows.
    void cancelAsyncRead();

    QString url() const { return m_url; }
    QString saveFile() const { return m_saveFile; }
    qint64 bytesMax() const { return m_bytesMax; }
    qint64 bytesRead() const { return m_bytesRead; }

signals:
    // During the read, only when the total size is known.
    void downloadProgress(qint64 bytesRead, qint64 bytesMax, const QString& saveFile);
    // The file has been written.
    void downloadComplete(qint64 bytesRead, qint64 bytesMax, const QString& saveFile);
    // "超时" (no progress for the watchdog limit) or "无法下载" (the second fetch got nothing, or
    // what arrived could not be written to the target).
    void downloadError(const QString& description, const QString& saveFile);

private:
    void startRead();
    void onReadyRead();
    void reportProgress();
    void onFinished();
    void onWatchdog();
    void abortRead();
    bool commit();

    NetworkLayer& m_network;
    EventPump& m_pump;
    const Timing& m_timing;
    QTimer m_watchdog;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QTemporaryFile> m_body;
    QString m_url;
    QString m_saveFile;
    qint64 m_bytesMax = 0;
    qint64 m_bytesRead = 0;
    qint64 m_received = 0; // bytes actually received (with or without a known total)
    qint64 m_lastSeen = 0;
    qint64 m_lastActivityMs = 0;
    bool m_fallback = false; // the second fetch is running
    bool m_done = false;
};

} // namespace mojing
