#include "HeadlessLogin.h"

#include "CookieBridge.h"
#include "LiveBrowser.h"
#include "SilentPage.h"
#include "WebProfile.h"
#include "program/AppContext.h"
#include "transfer/NetworkLayer.h"

#include <QWebEngineProfile>

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

} // namespace mojing
