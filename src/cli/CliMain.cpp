#include "CliCommand.h"

#include <QCoreApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
void printHelp(QTextStream& out) {
    out << u"墨鲸文献助手 "_s << QStringLiteral(MOJING_VERSION) << u"\n\n"_s;
    out << u"Usage:\n"_s;
    out << u"  mojing                 start the desktop program\n"_s;
    out << u"  mojing --demo          start it on the built-in offline demo journal platform\n"_s;
    out << u"  mojing --version       print the version\n"_s;
    out << u"  mojing --help          print this help\n"_s;
    for (const CliCommand& command : allCliCommands())
        out << u"  mojing "_s << command.synopsis << u'\n';
}
} // namespace

int runCli(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString first = arguments.value(1);
    if (first.isEmpty() || first == u"--demo"_s)
        return -1;
    if (first == u"--version"_s || first == u"-v"_s) {
        out << u"mojing "_s << QStringLiteral(MOJING_VERSION) << u'\n';
        return 0;
    }
    if (first == u"--help"_s || first == u"-h"_s || first == u"help"_s) {
        printHelp(out);
        return 0;
    }
    for (const CliCommand& command : allCliCommands()) {
        if (command.name == first)
            return command.run(arguments.mid(2), out, err);
    }
    err << u"mojing: unknown command or option: "_s << first << u"\n(see mojing --help)\n"_s;
    return 2;
}

} // namespace mojing
