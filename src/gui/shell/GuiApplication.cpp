#include "shell/GuiApplication.h"

#include "CookieBridge.h"
#include "WebProfile.h"
#include "platform/AnsiCodec.h"
#include "platform/EventPump.h"
#include "platform/Timing.h"
#include "program/AppContext.h"
#include "program/BrowserConfig.h"
#include "program/BrowserEmulation.h"
#include "program/ProgramState.h"
#include "search/SearchWindow.h"
#include "settings/SettingsStore.h"
#include "shell/CoverWindow.h"
#include "shell/GuiPrompts.h"
#include "shell/GuiServices.h"
#include "shell/GuiShell.h"
#include "shell/GuiWiring.h"
#include "shell/QtTranslations.h"
#include "shell/WindowFlow.h"
#include "transfer/NetworkLayer.h"
#include "transfer/SharedCookieJar.h"
#include "widgets/Icons.h"

#include "DemoPlatformServer.h"

#include <QApplication>
#include <QLocale>
#include <QWebEngineProfile>
#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
} // namespace

void setApplicationIdentity() {
    // Settings and data folders are named after it (~/.config/mojing, ~/.local/share/mojing).
    QCoreApplication::setApplicationName(u"mojing"_s);
    // Lets desktops match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(MOJING_APP_ID));
    QGuiApplication::setWindowIcon(Icons::programIcon());
}

void setProgramLocale() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

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
    setApplicationIdentity();
    setProgramLocale();
    const QtTranslations qtTexts;
    // Only the start window ends the program; work windows come and go.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    BrowserConfig config;
    const bool demo = app.arguments().contains(u"--demo"_s);
    std::unique_ptr<DemoPlatformServer> demoServer;
    if (demo) {
        demoServer = std::make_unique<DemoPlatformServer>();
        if (!demoServer->startPreferring()) {
            fprintf(stderr, "mojing: the demo platform could not be started.\n");
            return 4;
        }
        config.homePage = demoServer->homeUrl().toString();
        // Pasting the demo's DOIs brings the demo's articles.
        config.doiResolver = demoServer->doiResolverUrl().toString();
    }

    SettingsStore settings(SettingsStore::defaultPath());
    GuiPrompts prompts;
    GuiShell shell;
    EventPump pump;
    const Timing timing;
    const AnsiCodec codec;
    ProgramState state;
    AppContext context{settings, prompts, shell, pump, timing, codec, state};

    // Declared before the windows' owner, so it is deleted after every page.
    std::unique_ptr<QWebEngineProfile> profile(WebProfile::create());
    // One HTTP layer for every transfer: it speaks as the browsers do and shares their cookies.
    NetworkLayer network;
    network.setUserAgent(profile->httpUserAgent());
    CookieBridge cookies(profile->cookieStore(), network.cookieJar());
    WindowFlow flow;
    GuiServices services{context, flow, profile.get(), config, &network};
    if (demoServer)
        services.restoredAddress = [server = demoServer.get()](const QString& address) {
            return server->rebased(address);
        };

    CoverWindow cover(context, flow, config);
    flow.setCover(&cover);
    flow.setFactory(WindowFlow::kSearch, [&services] {
        auto* window = new SearchWindow(services.context, services.flow, services.profile, services.config);
        wireSearchWindow(*window, services);
        return window;
    });
    flow.setFactory(WindowFlow::kDownload, [&services] { return createDownloadWindow(services); });

    NullEmulationRegistry registry;
    cover.startUp(registry, QCoreApplication::applicationFilePath());
    const int code = app.exec();
    flow.deleteAllForms();
    settings.sync();
    return code;
}

} // namespace mojing
