#pragma once

#include "SiteLoginPage.h"

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

// What the part of the program that runs the command line can offer its commands beyond core.
struct CliServices {
    // Empty where the browser engine is absent: `download --login-url` is then refused.
    SiteLoginPageFactory siteLoginPage;
};

// Every sub-command, in the order --help lists them.
std::vector<CliCommand> allCliCommands(const CliServices& services);

// True when the arguments start the desktop program: none, or options of its own such as --demo.
bool startsDesktopProgram(const QStringList& arguments);
// True when the arguments need the browser engine: the desktop program, and the site login of
// `mojing download --login-url`. Only the desktop part of the program runs those.
bool needsBrowserEngine(const QStringList& arguments);

// Runs a command, --version or --help (arguments[0] is the program). Returns the process exit code,
// or -1 when the arguments start the desktop program instead.
int runCli(const QStringList& arguments, const CliServices& services);

} // namespace mojing
