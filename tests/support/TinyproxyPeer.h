#pragma once

#include "PeerProcess.h"

#include <QString>

namespace mojing {

// A real tinyproxy on a loopback port for end-to-end tests of the proxy option. Requests it
// forwards carry "Via: 1.1 mojing-test-proxy ...".
class TinyproxyPeer {
public:
    static inline const QString kViaName = QStringLiteral("mojing-test-proxy");

    static QString binary();
    static bool available() { return !binary().isEmpty(); }

    TinyproxyPeer() = default;
    ~TinyproxyPeer();

    bool start();
    void stop();
    int port() const { return m_port; }
    QString log() const;
    QString errorText() const { return m_error; }

private:
    PeerProcess m_peer;
    int m_port = 0;
    QString m_error;
};

} // namespace mojing
