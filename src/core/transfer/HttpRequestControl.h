#pragma once

#include "NetworkLayer.h"
#include "platform/Timing.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

namespace mojing {

class FollowingReply;
class PartFile;

// 「uXMLHTTP」 An asynchronous HTTP request a window can start and then be told about by signals
// while its event loop keeps running; optionally the body of a 200 answer is saved to a file,
// streamed into a temporary sibling as it arrives and put in place whole. The request runs
// in the network layer; the control polls it with its own timer (Timing::requestPoll) and
// reports from there, so every signal arrives on the owner's thread from a timer tick.
//
//   HttpRequestControl http(network, timing);
//   connect(&http, &HttpRequestControl::dataArrived, ...);
//   if (http.open(u"get"_s, url, savePath)) http.send();
//
// A slot may call open(), abort() or deleteLater() on the control, never delete it directly.
class HttpRequestControl : public QObject {
    Q_OBJECT
public:
    HttpRequestControl(NetworkLayer& network, const Timing& timing, QObject* parent = nullptr);
    ~HttpRequestControl() override;

    // 「Open_」 Prepares a request: the method upper-cased, the address, and the file the body of
    // a 200 answer is saved to (empty: not saved). A request still running is dropped without a
    // signal. False, with nothing prepared, for an address that is not a valid http or https
    // address: the one failure the caller is told about.
    bool open(const QString& method, const QString& url, const QString& saveFile = {});
    // 「SetRequestHeader」 Adds a header to the opened request; ignored before open().
    void setRequestHeader(const QString& name, const QString& value);
    // 「Send_」 Starts the opened request with `body` and starts polling; ignored before open() and
    // for a request already sent (each send needs its own open()).
    void send(const QByteArray& body = {});
    // 「Abort_」 Stops polling and drops the request; no signal follows.
    void abort();

    // 「DownOK」 True once polling has seen the request complete; false again after open().
    bool downOk() const { return m_downOk; }
    // 「ReadyState」 0 before open, 1 opened or sent, 2 headers arrived, 3 body arriving, 4 done.
    int readyState() const { return m_readyState; }
    // 「Status」 The HTTP status code; 0 before the answer and after a transport failure.
    int status() const;
    // 「StatusText」 The server's reason phrase; empty before the answer.
    QString statusText() const;
    // 「GetResponseHeader」 One response header's value; empty when absent.
    QString responseHeader(const QString& name) const;
    // 「GetAllResponseHeaders」 Every response header as "Name: value" lines ending in CR LF.
    QString allResponseHeaders() const;
    // 「ResponseBody」 Empty for a 200 answer that was saved: its body went to the file as it
    // arrived, never all of it into memory.
    QByteArray responseBody() const { return m_body; }
    // 「ResponseText」 The body decoded with the charset the answer names (UTF-8 otherwise).
    QString responseText() const;

signals:
    // 「OnDateArrived」 Once per request: it completed with status 200 (after the body was saved).
    void dataArrived();
    // 「OnReadyStateChange」 On every poll tick, before the request's state is looked at.
    void readyStateChanged();
    // 「OnDateErr」 Once per request: it completed with another status from 0 to 600; the
    // argument is the status code's description (HttpStatusTexts).
    void dataError(const QString& description);

private:
    void onTick();
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void dropReply();
    void saveBody();

    NetworkLayer& m_network;
    QTimer m_reader; // tmrReader
    QPointer<FollowingReply> m_reply;
    QByteArray m_method;
    QUrl m_url;
    HeaderList m_headers;
    QString m_saveFile;
    std::unique_ptr<PartFile> m_saving; // a 200 answer's body on its way into the save file
    bool m_opened = false;
    bool m_sent = false;
    bool m_downOk = false;
    int m_readyState = 0;
    quint64 m_generation = 0; // changes with every open() and abort()
    // The answer, kept after the reply is gone.
    QByteArray m_body;
    int m_status = 0;
    QString m_statusText;
    HeaderList m_responseHeaders;
};

} // namespace mojing
