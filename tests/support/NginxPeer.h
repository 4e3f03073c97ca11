#pragma once

#include "PeerProcess.h"

#include <QByteArray>
#include <QString>

namespace mojing {

// A real nginx on a loopback port, started from a temporary configuration for end-to-end tests.
// Files put under www() are served at http://127.0.0.1:port()/...; below /slow/ the rate is
// limited, below /nolength/ responses pass a body filter and come chunked, without Content-Length, and
// /redirect/x answers with a 302 (and a page of its own length) to /x.
// Each request's path and Via header end up in accessLog().
//
//   NginxPeer nginx;
//   if (!NginxPeer::available()) GTEST_SKIP() << "nginx is not installed";
//   nginx.putFile(u"a.pdf"_s, bytes);
//   ASSERT_TRUE(nginx.start()) << nginx.errorText();
class NginxPeer {
public:
    static QString binary();
    static bool available() { return !binary().isEmpty(); }

    NginxPeer();
    ~NginxPeer();

    // Writes a file below the served folder (sub-folders are created).
    void putFile(const QString& relativePath, const QByteArray& content);
    // `slowRate` is nginx's limit_rate for /slow/ (e.g. "20k").
    bool start(const QString& slowRate = QStringLiteral("20k"));
    void stop();
    // Starts again after stop() on the same port, with the same files and log.
    bool restart();

    int port() const { return m_port; }
    QString url(const QString& path) const;
    QString www() const;
    QString accessLog() const;
    QString errorText() const { return m_error; }

private:
    bool startOn(const QString& slowRate, int port);

    PeerProcess m_peer;
    int m_port = 0;
    QString m_slowRate;
    QString m_error;
};

} // namespace mojing
