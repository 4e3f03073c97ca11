#include "PeerProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

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

QString PeerProcess::findBinary(const QStringList& candidates, const QString& name) {
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return QStandardPaths::findExecutable(name);
}

PeerProcess::~PeerProcess() {
    stop();
}

QString PeerProcess::readFile(const QString& name) const {
    QFile f(m_dir.filePath(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool PeerProcess::writeFile(const QString& name, const QString& text) {
    QFile f(m_dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(text.toUtf8());
    return true;
}

bool PeerProcess::start(const QString& program, const QStringList& arguments, int port) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, arguments);
    return m_process.waitForStarted(5000) && waitForLoopbackPort(port, 5000);
}

QString PeerProcess::output() {
    return QString::fromUtf8(m_process.readAll());
}

void PeerProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

} // namespace mojing
