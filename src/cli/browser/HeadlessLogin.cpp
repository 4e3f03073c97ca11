#include "HeadlessLogin.h"

#include "CliCommand.h"
#include "CookieBridge.h"
#include "LiveBrowser.h"
#include "SilentPage.h"
#include "WebProfile.h"
#include "program/AppContext.h"
#include "transfer/NetworkLayer.h"

#include <QGuiApplication>
#include <QWebEngineProfile>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing {

HeadlessLogin::HeadlessLogin(NetworkLayer& network, AppContext& context)
    : m_profile(WebProfile::create()),
      m_cookies(std::make_unique<CookieBridge>(m_profile->cookieStore(), network.cookieJar())),
      m_page(std::make_unique<SilentPage>(m_profile.get())),
      m_browser(std::make_unique<LiveBrowser>(m_page.get(), context.pump, context.timing)),
      m_login(std::make_unique<SiteLogin>(*m_browser, context.prompts, context.timing)) {
    // Transfers speak as the browser does, as in the desktop program.
    network.setUserAgent(m_profile->httpUserAgent());
    m_page->setSilent(true);
    m_page->setFollowBlankWindows(false);
}

HeadlessLogin::~HeadlessLogin() {
    m_login.reset();
    m_browser.reset();
    m_page.reset();
    m_cookies.reset();
    m_profile.reset();
}

// The application can hold browser pages: an offscreen one unless a platform is chosen.
int runCliWithBrowserEngine(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser engine refuses to start its sandbox as root; only then is it switched off.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"mojing"_s);
    return runCli(app.arguments());
}

} // namespace mojing
