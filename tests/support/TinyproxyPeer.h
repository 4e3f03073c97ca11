#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

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
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

} // namespace mojing
