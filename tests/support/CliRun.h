#pragma once
// Header only: the command table lives in mojing_cli, which only the test executables of the
// command-line commands link, not mojing_testsupport.
#include "CliCommand.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace mojing {

// What one command printed and returned when run in-process by its name.
struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

inline CliRun runCliCommand(const QString& name, const QStringList& args, const CliServices& services = {}) {
    for (const CliCommand& command : allCliCommands(services)) {
        if (command.name == name) {
            CliRun r;
            QTextStream out(&r.out);
            QTextStream err(&r.err);
            r.code = command.run(args, out, err);
            return r;
        }
    }
    ADD_FAILURE() << "no command " << name.toStdString();
    return {};
}

// Writes an input file for a command into `dir` and returns its path.
inline QString writeInputFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

} // namespace mojing
