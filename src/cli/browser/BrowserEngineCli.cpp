#include "BrowserEngineCli.h"

#include "CliCommand.h"
#include "HeadlessLogin.h"

#include <QGuiApplication>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing {

int runCliWithBrowserEngine(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser engine refuses to start its sandbox as root; only then is it switched off.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"mojing"_s);
    CliServices services;
    services.siteLoginPage = [](NetworkLayer& network,
                                AppContext& context) -> std::unique_ptr<SiteLoginPage> {
        return std::make_unique<HeadlessLogin>(network, context);
    };
    return runCli(app.arguments(), services);
}

} // namespace mojing
