#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace mojing {

// One sub-command of `mojing`: `mojing NAME ARGS...`.
struct CliCommand {
    QString name;
    QString synopsis; // for --help: the usage, a newline, then what the command does
    // Runs with the arguments after the command name; returns the process exit code.
    std::function<int(const QStringList& args, QTextStream& out, QTextStream& err)> run;
};

// Every sub-command, in the order --help lists them.
std::vector<CliCommand> allCliCommands();

// Runs `mojing` as a command-line program when the arguments ask for it.
// Returns -1 when the arguments are for the GUI (no arguments, or GUI options such as --demo).
int runCli(const QStringList& arguments);

// True when the arguments ask for something that needs browser pages (the site login of
// `mojing download --login-url`) and this build has the browser engine: the process then needs
// a GUI-capable application (see runCliWithBrowserEngine).
bool cliNeedsBrowserEngine(const QStringList& arguments);
// Runs the command line on such an application. Only in builds with the browser engine.
int runCliWithBrowserEngine(int argc, char** argv);

} // namespace mojing
