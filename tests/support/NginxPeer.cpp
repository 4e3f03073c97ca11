#include "NginxPeer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

using namespace Qt::StringLiterals;

namespace mojing {

int freeLoopbackPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool waitForLoopbackPort(int port, int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (socket.waitForConnected(200))
            return true;
        QThread::msleep(20);
    }
    return false;
}

QString NginxPeer::binary() {
    for (const QString& candidate : {u"/usr/sbin/nginx"_s, u"/usr/bin/nginx"_s}) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return QStandardPaths::findExecutable(u"nginx"_s);
}

NginxPeer::NginxPeer() {
    QDir(m_dir.path()).mkpath(u"www"_s);
}

NginxPeer::~NginxPeer() {
    stop();
}

QString NginxPeer::www() const {
    return m_dir.filePath(u"www"_s);
}

QString NginxPeer::accessLog() const {
    QFile f(m_dir.filePath(u"access.log"_s));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
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

bool NginxPeer::start(const QString& slowRate) {
    const QString dir = m_dir.path();
    QDir(dir).mkpath(u"tmp"_s);
    m_port = freeLoopbackPort();
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
        "    location /nolength/ { gzip on; gzip_min_length 0; gzip_types *; gzip_proxied any; }\n"
        "  }\n"
        "}\n"_s.arg(dir, QString::number(m_port), slowRate);
    QFile f(m_dir.filePath(u"nginx.conf"_s));
    if (!f.open(QIODevice::WriteOnly)) {
        m_error = u"cannot write the nginx configuration"_s;
        return false;
    }
    f.write(config.toUtf8());
    f.close();

    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(binary(), {u"-p"_s, dir, u"-e"_s, m_dir.filePath(u"error.log"_s), u"-c"_s, f.fileName()});
    if (!m_process.waitForStarted(5000) || !waitForLoopbackPort(m_port, 5000)) {
        QFile log(m_dir.filePath(u"error.log"_s));
        log.open(QIODevice::ReadOnly);
        m_error = u"nginx did not start: "_s + QString::fromUtf8(m_process.readAll()) +
                  QString::fromUtf8(log.readAll());
        stop();
        return false;
    }
    return true;
}

void NginxPeer::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

} // namespace mojing
