#include "CliCommand.h"

#include <QCoreApplication>
#include <QStringList>
#include <memory>

#ifdef MOJING_WITH_GUI
#include "shell/GuiApplication.h"
#endif

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (arguments.size() > 1 && arguments[1] != u"--demo"_s) {
#ifdef MOJING_WITH_GUI
        if (mojing::cliNeedsBrowserEngine(arguments))
            return mojing::runCliWithBrowserEngine(argc, argv);
#endif
        QCoreApplication app(argc, argv);
        return mojing::runCli(app.arguments());
    }
#ifdef MOJING_WITH_GUI
    return mojing::runGuiApplication(argc, argv);
#else
    fprintf(stderr,
            "mojing: this build has no desktop interface (built with MOJING_GUI=OFF); see mojing --help\n");
    return 2;
#endif
}
