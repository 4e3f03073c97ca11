#pragma once

#include "RowOutcome.h"
#include "transfer/KeptParts.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

namespace mojing {

class DownloadSession;
class InetControl;
class NetworkLayer;
class PartFile;

// Method 1: one row at a time through the transfer control, honouring the proxy option, sending
// a Referer, inspecting the response headers before anything is written, streaming the body to
// disk in 2048-byte chunks with live progress, and enforcing the size limit, the stall limit and
// the user's Stop. Rows are 0-based.
//
// A transfer is a small state machine driven by the control's signals and two timers:
//   waiting for headers -> checks -> streaming (chunks as they arrive) -> finished
//                                 -> whole-resource fallback           -> finished
// Nothing waits inside a call: the event loop runs between every step, so the window stays
// responsive and may be closed at any moment. The body goes to a temporary sibling that takes the
// final name only when it is whole. rowFinished() reports the end of every row that was started.
//
// A server that asks for a pause (429, 503) fails the row with "服务器要求暂停下载". A body that
// breaks off (the connection ends early or stalls) is kept for resuming when the server takes
// byte ranges and named a validator; the row's next attempt then asks for the rest (Range with
// If-Range) and appends a matching 206, or starts over on a 200.
class Method1Transfer : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kChunkBytes = 2048;

    Method1Transfer(DownloadSession& session, NetworkLayer& network, QObject* parent = nullptr);
    ~Method1Transfer() override;

    // 「Inet下载当前文件」 The scheduler's entry point: re-queues the row ("等待重新下载") while a transfer
    // is active, otherwise starts downloading it.
    void downloadCurrentRow(int row);
    // 「Inet下载文件」 Starts the transfer of one row; its end comes as rowFinished().
    void downloadRow(int row);
    // Stop: abandons the transfer; a streaming row ends "下载取消" with its part deleted. The row's
    // end is reported before this returns.
    void cancel();

    // Scheme and host of an address, the default referrer.
    static QString siteRoot(const QString& url);
    // Status panel 3 text of a transfer-control state.
    static QString stateText(int state, int responseCode, const QString& responseInfo);

    // A row's transfer is under way (from its start until its row is finished).
    bool isRunning() const { return m_phase != Phase::Idle; }

    InetControl& inet() { return *m_inet; }
    const InetControl& inet() const { return *m_inet; }

signals:
    // The transfer of `row` has ended, whatever the outcome. `ok` is true for a completed file
    // and for one skipped as too large.
    void rowFinished(int row, bool ok);

private:
    enum class Phase { Idle, Headers, Streaming, Fallback };

    void setupConnection(const QString& url);
    void onHeaders();
    void startStreaming();
    void readChunks();
    void scheduleRead();
    void completeStream();
    void startFallback();
    void onFallbackBody(const QByteArray& body);
    void onStallCheck();
    // Ends the stream: `sizeText` (when not null) in the size column, row Failed. The part is
    // kept for resuming when `keepable` and the server allows it, otherwise deleted.
    void abandon(const QString& sizeText, bool keepable = false);
    void fail(const QString& sizeText);
    void finish(bool ok, bool correctType);
    // Runs `step` from the event loop unless this transfer has ended by then.
    void post(void (Method1Transfer::*step)());

    DownloadSession& m_session;
    std::unique_ptr<InetControl> m_inet;
    std::unique_ptr<PartFile> m_part;
    QTimer m_headerTimer;
    QTimer m_stallTimer;
    Phase m_phase = Phase::Idle;
    int m_row = -1;
    quint64 m_generation = 0; // one per transfer; queued steps of an earlier one do nothing
    bool m_readQueued = false;
    qint64 m_size = 0;   // announced size, 0 when unknown
    qint64 m_length = 0; // bytes written
    qint64 m_lastProgressMs = 0;
    QString m_path;                         // the target file
    std::optional<KeptPart> m_kept;         // a part kept from an earlier attempt, asked to continue
    std::optional<ResumeInfo> m_resumeInfo; // this response may be resumed should it break off
    RowOutcome m_outcome;
};

} // namespace mojing
