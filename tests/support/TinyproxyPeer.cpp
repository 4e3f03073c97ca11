#include "TinyproxyPeer.h"

using namespace Qt::StringLiterals;

namespace mojing {

QString TinyproxyPeer::binary() {
    return PeerProcess::findBinary({u"/usr/bin/tinyproxy"_s, u"/usr/sbin/tinyproxy"_s}, u"tinyproxy"_s);
}

TinyproxyPeer::~TinyproxyPeer() {
    stop();
}

QString TinyproxyPeer::log() const {
    return m_peer.readFile(u"tinyproxy.log"_s);
}

bool TinyproxyPeer::start() {
    m_port = freeLoopbackPort();
    const QString config =
        u"Port %1\nListen 127.0.0.1\nTimeout 60\nMaxClients 20\n"
        "LogFile \"%2/tinyproxy.log\"\nLogLevel Info\nPidFile \"%2/tinyproxy.pid\"\n"
        "Allow 127.0.0.1\nViaProxyName \"%3\"\n"_s.arg(QString::number(m_port), m_peer.folder(), kViaName);
    if (!m_peer.writeFile(u"tinyproxy.conf"_s, config)) {
        m_error = u"cannot write the tinyproxy configuration"_s;
        return false;
    }
    if (!m_peer.start(binary(), {u"-d"_s, u"-c"_s, m_peer.filePath(u"tinyproxy.conf"_s)}, m_port)) {
        m_error = u"tinyproxy did not start: "_s + m_peer.output() + log();
        stop();
        return false;
    }
    return true;
}

void TinyproxyPeer::stop() {
    m_peer.stop();
}

} // namespace mojing
