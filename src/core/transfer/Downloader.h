#pragma once

#include "KeptParts.h"
#include "platform/Timing.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace mojing {

class EventPump;
class FollowingReply;
class NetworkLayer;
class PartFile;

// Downloads one address to one file without blocking the UI: an asynchronous read with progress,
// a stall watchdog, exactly one second fetch when the read delivers nothing, and three events.
// It never touches the download list; its host maps the events to rows. One instance serves one
// download and is then discarded.
//
// The body is streamed into a temporary sibling of the target and renamed into place when the
// read has completed without a transport error (and passed the host's check, see setFileCheck),
// so memory stays flat and the target is replaced whole, never appended to: a file already under
// the target's name stays untouched until then. Sizes are those of the final response: a
// redirect's own length does not count.
//
// A server that asks for a pause (429, 503) ends the download with "服务器要求暂停下载". A body
// that breaks off or stalls is kept for resuming when the server takes byte ranges and named a
// validator; the next download of the same address into the same folder asks for the rest and
// appends a matching 206 (sizes then count the whole file), or starts over on a 200.
class Downloader : public QObject {
    Q_OBJECT
public:
    // The two bytes (01 00) that reserve the target's name while the download runs.
    static inline const QByteArray kPlaceholder = QByteArray("\x01\x00", 2);
    static inline const QString kTimeout = QStringLiteral("超时");
    static inline const QString kCannotDownload = QStringLiteral("无法下载");
    static inline const QString kServerPause = QStringLiteral("服务器要求暂停下载");

    Downloader(NetworkLayer& network, EventPump& pump, const Timing& timing, QObject* parent = nullptr);
    ~Downloader() override;

    // Before the file is put in place, `check` looks at the complete temporary file (by its path):
    // a non-empty answer fails the download with that description instead.
    void setFileCheck(std::function<QString(const QString& path)> check) { m_fileCheck = std::move(check); }

    // Takes a free target name at once with the placeholder, so that the next slot's unique-name
    // check sees it (a file already there is left as it is), then starts reading `url` ("&amp;"
    // read as "&"), with `referer` (when not empty) as the Referer.
    void beginDownload(const QString& url, const QString& saveFile, const QString& referer = {});
    // Cancels the read in progress; no event follows. The placeholder goes unless the file was
    // put in place.
    void cancelAsyncRead();

    QString url() const { return m_url; }
    QString saveFile() const { return m_saveFile; }
    qint64 bytesMax() const { return m_bytesMax; }
    qint64 bytesRead() const { return m_bytesRead; }
    // What the final answer said (after redirects): status (0 when none came), address,
    // Content-Type and Retry-After.
    int httpStatus() const { return m_status; }
    QString finalUrl() const { return m_finalUrl; }
    QString contentType() const { return m_contentType; }
    QString retryAfter() const { return m_retryAfter; }

    // True when `path` holds nothing but a placeholder (left behind by a killed program).
    static bool isPlaceholder(const QString& path);

signals:
    // During the read, only when the total size is known.
    void downloadProgress(qint64 bytesRead, qint64 bytesMax, const QString& saveFile);
    // The file has been written.
    void downloadComplete(qint64 bytesRead, qint64 bytesMax, const QString& saveFile);
    // "超时" (no progress for the watchdog limit), "无法下载" (the transfer broke off, the second
    // fetch got nothing, or what arrived could not be put in place), "服务器要求暂停下载" (a 429
    // or 503 answer) or what the file check said. The placeholder is gone.
    void downloadError(const QString& description, const QString& saveFile);

private:
    void startRead();
    // The final answer's headers: the pause request, the resume decision, the first progress.
    void onMetaData();
    void onReadyRead();
    void onRedirected();
    void reportProgress();
    void onFinished();
    void onWatchdog();
    void abortRead();
    // Ends the download with `description`; what arrived is kept for resuming when `keepable`
    // and the server allows it.
    void fail(const QString& description, bool keepable = false);
    // fail() from the event loop, for a decision taken inside the reply's own signal.
    void failSoon(const QString& description);
    void removePlaceholder();

    NetworkLayer& m_network;
    EventPump& m_pump;
    const Timing& m_timing;
    QTimer m_watchdog;
    QPointer<FollowingReply> m_reply;
    std::function<QString(const QString&)> m_fileCheck;
    std::unique_ptr<PartFile> m_body;
    QString m_url;
    QString m_referer; // sent as Referer when not empty
    QString m_saveFile;
    qint64 m_bytesMax = 0;
    qint64 m_bytesRead = 0;
    qint64 m_received = 0; // bytes of the current response received (with or without a known total)
    qint64 m_offset = 0;   // bytes an earlier attempt kept, which the current response continues
    qint64 m_lastSeen = 0;
    qint64 m_lastActivityMs = 0;
    bool m_fallback = false; // the second fetch is running
    bool m_done = false;
    bool m_committed = false;               // the file is in place
    bool m_ownsPlaceholder = false;         // the placeholder under the target's name is ours
    bool m_readQueued = false;              // the rest of the buffered body is read on the next turn
    bool m_answered = false;                // the final answer's headers are in
    bool m_failPending = false;             // failSoon() has decided; the report follows from the event loop
    std::optional<KeptPart> m_kept;         // asked to continue, until the answer decides
    std::optional<ResumeInfo> m_resumeInfo; // the current response may be resumed
    int m_status = 0;
    QString m_finalUrl;
    QString m_contentType;
    QString m_retryAfter;
};

} // namespace mojing
