#pragma once

#include "NetworkLayer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

namespace mojing {

class FollowingReply;

// The Internet Transfer control of method 1: one request at a time, started asynchronously, whose
// header block and body are then read from the UI thread as they arrive. Nothing here waits: the
// signals say when there is something to read.
class InetControl : public QObject {
    Q_OBJECT
public:
    // stateChanged() values this control reports.
    enum State {
        icNone = 0,
        icConnecting = 3,
        icConnected = 4,
        icRequestSent = 6,
        icResponseReceived = 8,
        icError = 11,
        icResponseCompleted = 12,
    };

    explicit InetControl(NetworkLayer& network, QObject* parent = nullptr);
    ~InetControl() override;

    // Connection properties. accessType 2 with Proxy "host:port" sends requests through that
    // proxy; 0 uses the system default. protocol 4 = HTTP, 5 = HTTPS. remotePort is informative:
    // the connection uses the port of the address (or of the proxy).
    int accessType = 0;
    QString proxy;
    int protocol = 4;
    int remotePort = 80;

    // Starts a request. `requestHeaders` holds "Name: value" lines separated by CR LF.
    void execute(const QString& url, const QString& operation = QStringLiteral("GET"),
                 const QString& data = {}, const QString& requestHeaders = {});
    // True from execute() until the whole response has arrived, failed or was cancelled.
    bool stillExecuting() const;
    // The response headers have arrived (getHeader has something to say).
    bool headersAvailable() const { return m_headersAvailable; }
    // The response has ended: no more data will arrive (some may still wait to be read).
    bool responseEnded() const { return m_ended; }
    // Bytes received and not yet read.
    qint64 bytesBuffered() const;

    // The whole header block: the status line first, then "Name: value" lines, CR LF separated,
    // or empty when no response headers arrived.
    QString getHeader() const;
    // One header's value (case-insensitive name), or empty.
    QString getHeader(const QString& name) const;
    // The address that gave the response headers (after redirects), or empty.
    QString finalUrl() const { return m_finalUrl; }
    // The next part of the body that has arrived, at most `maxBytes`; empty when nothing is waiting
    // (at the end of the body, or while more is on its way: responseEnded() tells them apart).
    QByteArray getChunk(qint64 maxBytes);
    // Starts fetching a whole resource; openUrlFinished() brings it. bodyDataArrived() reports
    // that data is still coming.
    void openUrl(const QString& url);
    // Abandons the current request (a pending openUrl() then reports nothing).
    void cancel();
    // The last request was abandoned by cancel() (before it ended by itself).
    bool cancelled() const { return m_cancelled; }

    // The response ended because the connection or the proxy failed (not an HTTP error status):
    // what arrived is not the whole body.
    bool transportFailed() const;

    // Code and text of the last error (0 and empty when none).
    int responseCode() const { return m_responseCode; }
    QString responseInfo() const { return m_responseInfo; }

signals:
    void stateChanged(int state);
    // stillExecuting() changed.
    void executingChanged(bool executing);
    // The response headers are there (getHeader has something to say).
    void headersArrived();
    // Body data arrived.
    void bodyDataArrived();
    // The response has ended (whole, broken off or unanswered); cancel() reports nothing.
    void responseFinished();
    // What openUrl() fetched: the whole body, or empty when nothing (or not all of it) came.
    void openUrlFinished(const QByteArray& body);

private:
    FollowingReply* start(const QString& url, const QString& requestHeaders);
    void attach(FollowingReply* reply);
    void captureHeaders();
    void release();
    void setState(int state);
    void setExecuting(bool executing);

    NetworkLayer& m_network;
    QPointer<FollowingReply> m_reply;
    bool m_wholeResource = false; // openUrl() is collecting the body
    quint64 m_generation = 0;     // bumped per request and by cancel()
    QByteArray m_resource;
    bool m_executing = false;
    bool m_headersAvailable = false;
    bool m_ended = false;
    bool m_cancelled = false;
    QString m_headerBlock;
    QString m_finalUrl;
    int m_responseCode = 0;
    QString m_responseInfo;
};

} // namespace mojing
