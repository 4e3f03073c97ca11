#pragma once
// Header only, for the end-to-end tests of `mojing download` (MOJING_BINARY names the program).

#include "platform/EventPump.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>

namespace mojing {

// What one run of `mojing download` returned and printed.
struct DownloadRun {
    int exitCode = -1;
    QString out;
    QString err;
    // The per-row result lines: state, name, type, size, percent, path.
    QList<QStringList> rows() const {
        QList<QStringList> result;
        for (const QString& line : out.split(u'\n')) {
            const QStringList cells = line.split(u'\t');
            if (cells.size() == 6 && cells[0].size() == 1)
                result << cells;
        }
        return result;
    }
};

inline QByteArray fileContent(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts `mojing download ...` with its settings, data, cache and home below `home`.
inline void startDownloadProcess(QProcess& process, const QTemporaryDir& home, const QStringList& args,
                                 const QList<QPair<QString, QString>>& extraEnv = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : extraEnv)
        env.insert(name, value);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("HOME"), home.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(MOJING_BINARY), QStringList{QStringLiteral("download")} + args);
    EXPECT_TRUE(process.waitForStarted(10000));
}

inline DownloadRun downloadRunOf(QProcess& process) {
    DownloadRun r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.err = QString::fromUtf8(process.readAllStandardError());
    return r;
}

// Runs `mojing download ...` with this process's event loop turning meanwhile (a server in the
// test answers the program's requests); `input` goes to its standard input. A run that does not
// end within `limit` fails the test and is killed.
inline DownloadRun runDownloadServing(const QTemporaryDir& home, const QStringList& args,
                                      const QByteArray& input = {},
                                      std::chrono::milliseconds limit = std::chrono::milliseconds(60000)) {
    QProcess process;
    startDownloadProcess(process, home, args);
    process.write(input);
    process.closeWriteChannel();
    EventPump pump;
    EXPECT_TRUE(pump.waitUntil([&] { return process.state() == QProcess::NotRunning; }, limit))
        << "mojing download did not end";
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return downloadRunOf(process);
}

} // namespace mojing
