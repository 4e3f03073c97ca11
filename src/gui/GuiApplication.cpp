#include "GuiApplication.h"

#include <QApplication>
#include <QLabel>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
} // namespace

int runGuiApplication(int argc, char** argv) {
    if (!hasDisplay()) {
        fprintf(stderr, "mojing: no display found (DISPLAY is not set).\n"
                        "Start it on a virtual display instead:  xvfb-run -a mojing\n");
        return 3;
    }
    // The browser engine refuses to start its sandbox as root; only then is it switched off.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QLabel cover(u"墨鲸文献助手"_s);
    cover.setObjectName(u"fCover"_s);
    cover.show();
    return app.exec();
}

} // namespace mojing
