#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace mojing {

class DownloadSession;
class InetControl;
class NetworkLayer;

// Method 1: one row at a time through the transfer control, honouring the proxy option, sending
// a Referer, inspecting the response headers before anything is written, streaming the body to
// disk in 2048-byte chunks with live progress, and enforcing the size limit, the stall limit and
// the user's Stop. Runs on the UI thread and lets events run between steps. Rows are 0-based.
class Method1Transfer : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kChunkBytes = 2048;

    Method1Transfer(DownloadSession& session, NetworkLayer& network, QObject* parent = nullptr);
    ~Method1Transfer() override;

    // 「Inet下载当前文件」 The scheduler's entry point: re-queues the row ("等待重新下载") while a transfer
    // is active, otherwise downloads it.
    void downloadCurrentRow(int row);
    // 「Inet下载文件」 The transfer of one row; true for a completed file and for one skipped as too large.
    bool downloadRow(int row);
    // One whole-resource request, used when the response announces neither a size nor success.
    bool openUrlFallback(int row, const QString& path);

    // Scheme and host of an address, the default referrer.
    static QString siteRoot(const QString& url);
    // Status panel 3 text of a transfer-control state.
    static QString stateText(int state, int responseCode, const QString& responseInfo);

    // A row's transfer is under way (from its start until its row is finished).
    bool isRunning() const { return m_running; }

    InetControl& inet() { return *m_inet; }
    const InetControl& inet() const { return *m_inet; }

private:
    void setupConnection(const QString& url);
    void finishRow(int row);

    DownloadSession& m_session;
    std::unique_ptr<InetControl> m_inet;
    bool m_running = false;
};

} // namespace mojing
