#include "NginxPeer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing {

QString NginxPeer::binary() {
    return PeerProcess::findBinary({u"/usr/sbin/nginx"_s, u"/usr/bin/nginx"_s}, u"nginx"_s);
}

NginxPeer::NginxPeer() {
    QDir(m_peer.folder()).mkpath(u"www"_s);
}

NginxPeer::~NginxPeer() {
    stop();
}

QString NginxPeer::www() const {
    return m_peer.filePath(u"www"_s);
}

QString NginxPeer::accessLog() const {
    return m_peer.readFile(u"access.log"_s);
}

QString NginxPeer::url(const QString& path) const {
    return u"http://127.0.0.1:"_s + QString::number(m_port) + (path.startsWith(u'/') ? path : u'/' + path);
}

void NginxPeer::putFile(const QString& relativePath, const QByteArray& content) {
    const QString path = QDir(www()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

bool NginxPeer::restart() {
    stop();
    const int port = m_port;
    return startOn(m_slowRate, port);
}

bool NginxPeer::start(const QString& slowRate) {
    return startOn(slowRate, freeLoopbackPort());
}

bool NginxPeer::startOn(const QString& slowRate, int port) {
    const QString dir = m_peer.folder();
    QDir(dir).mkpath(u"tmp"_s);
    m_port = port;
    m_slowRate = slowRate;
    const QString config =
        u"daemon off;\nmaster_process off;\nworker_processes 1;\n"
        "pid %1/nginx.pid;\nerror_log %1/error.log warn;\n"
        "events { worker_connections 256; }\n"
        "http {\n"
        "  log_format peer '$request_uri|$http_via|$http_referer|$status';\n"
        "  access_log %1/access.log peer;\n"
        "  client_body_temp_path %1/tmp;\n  proxy_temp_path %1/tmp;\n  fastcgi_temp_path %1/tmp;\n"
        "  uwsgi_temp_path %1/tmp;\n  scgi_temp_path %1/tmp;\n"
        "  types { application/pdf pdf; text/html html htm; text/plain txt; }\n"
        "  default_type application/octet-stream;\n"
        "  keepalive_timeout 5;\n"
        "  server {\n"
        "    listen 127.0.0.1:%2;\n"
        "    root %1/www;\n"
        "    location /slow/ { limit_rate %3; }\n"
        "    location /nolength/ { sub_filter_types *; sub_filter 'mojing-never-matches' ''; }\n"
        "    location /redirect/ { rewrite ^/redirect/(.*)$ /$1 redirect; }\n"
        "  }\n"
        "}\n"_s.arg(dir, QString::number(m_port), slowRate);
    if (!m_peer.writeFile(u"nginx.conf"_s, config)) {
        m_error = u"cannot write the nginx configuration"_s;
        return false;
    }
    if (!m_peer.start(binary(),
                      {u"-p"_s, dir, u"-e"_s, m_peer.filePath(u"error.log"_s), u"-c"_s,
                       m_peer.filePath(u"nginx.conf"_s)},
                      m_port)) {
        m_error = u"nginx did not start: "_s + m_peer.output() + m_peer.readFile(u"error.log"_s);
        stop();
        return false;
    }
    return true;
}

void NginxPeer::stop() {
    m_peer.stop();
}

} // namespace mojing
