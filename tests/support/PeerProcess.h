#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace mojing {

// A server program run in the foreground for end-to-end tests, with a private temporary folder
// for its configuration, logs and files. The peers (nginx, tinyproxy) write their configuration
// here, start the program and wait until it accepts connections on its loopback port.
class PeerProcess {
public:
    // The first executable of `candidates`, else `name` looked up on PATH (empty if none).
    static QString findBinary(const QStringList& candidates, const QString& name);

    PeerProcess() = default;
    ~PeerProcess();

    QString folder() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // The contents of a file in the folder (empty if it does not exist).
    QString readFile(const QString& name) const;
    bool writeFile(const QString& name, const QString& text);

    // Starts the program and waits until `port` answers. On failure the process is left for the
    // caller to collect output() and its logs before stop().
    bool start(const QString& program, const QStringList& arguments, int port);
    // What the process wrote to stdout and stderr so far.
    QString output();
    void stop();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

// Waits until something accepts connections on the loopback port (at most `ms`).
bool waitForLoopbackPort(int port, int ms);
// A loopback port that was free a moment ago.
int freeLoopbackPort();

} // namespace mojing
