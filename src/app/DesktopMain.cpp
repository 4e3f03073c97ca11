// `mojing-desktop`, the desktop part of the program: the windows, and every command on an
// application that can hold browser pages. Users start it through `mojing`, which hands over the
// arguments unchanged.
#include "BrowserEngineCli.h"
#include "CliCommand.h"
#include "shell/GuiApplication.h"

#include <QStringList>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (mojing::startsDesktopProgram(arguments))
        return mojing::runGuiApplication(argc, argv);
    return mojing::runCliWithBrowserEngine(argc, argv);
}
