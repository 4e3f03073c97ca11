// `mojing`, the program users start. It carries the command line over core only, so commands start
// without loading the windows and the browser engine; the desktop program and the commands that
// need the engine run in the desktop part, which replaces this process (see DesktopPart.h).
#include "CliCommand.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#ifdef MOJING_WITH_DESKTOP_PART
#include "DesktopPart.h"
#endif

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (mojing::needsBrowserEngine(arguments)) {
#ifdef MOJING_WITH_DESKTOP_PART
        return mojing::runDesktopPart(argv);
#else
        if (mojing::startsDesktopProgram(arguments)) {
            fprintf(stderr, "mojing: this build has no desktop interface (built with MOJING_GUI=OFF); "
                            "see mojing --help\n");
            return 2;
        }
        // The command itself refuses what needs the engine, with its own message.
#endif
    }
    QCoreApplication app(argc, argv);
    return mojing::runCli(app.arguments(), {});
}
