#include "TinyproxyPeer.h"

#include "NginxPeer.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace mojing {

QString TinyproxyPeer::binary() {
    for (const QString& candidate : {u"/usr/bin/tinyproxy"_s, u"/usr/sbin/tinyproxy"_s}) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return QStandardPaths::findExecutable(u"tinyproxy"_s);
}

TinyproxyPeer::~TinyproxyPeer() {
    stop();
}

QString TinyproxyPeer::log() const {
    QFile f(m_dir.filePath(u"tinyproxy.log"_s));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool TinyproxyPeer::start() {
    m_port = freeLoopbackPort();
    const QString config =
        u"Port %1\nListen 127.0.0.1\nTimeout 60\nMaxClients 20\n"
        "LogFile \"%2/tinyproxy.log\"\nLogLevel Info\nPidFile \"%2/tinyproxy.pid\"\n"
        "Allow 127.0.0.1\nViaProxyName \"%3\"\n"_s.arg(QString::number(m_port), m_dir.path(), kViaName);
    QFile f(m_dir.filePath(u"tinyproxy.conf"_s));
    if (!f.open(QIODevice::WriteOnly)) {
        m_error = u"cannot write the tinyproxy configuration"_s;
        return false;
    }
    f.write(config.toUtf8());
    f.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(binary(), {u"-d"_s, u"-c"_s, f.fileName()});
    if (!m_process.waitForStarted(5000) || !waitForLoopbackPort(m_port, 5000)) {
        m_error = u"tinyproxy did not start: "_s + QString::fromUtf8(m_process.readAll()) + log();
        stop();
        return false;
    }
    return true;
}

void TinyproxyPeer::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

} // namespace mojing
