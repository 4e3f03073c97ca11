#pragma once

#include "SiteLoginPage.h"
#include "downloads/SiteLogin.h"

#include <memory>

class QWebEngineProfile;

namespace mojing {

struct AppContext;
class CookieBridge;
class LiveBrowser;
class NetworkLayer;
class SilentPage;

// The site login of `mojing download`: an offscreen page of the program's browser profile, whose
// cookies reach the transfers of `network`, driven by the same login as the download window's panel.
class HeadlessLogin : public SiteLoginPage {
public:
    HeadlessLogin(NetworkLayer& network, AppContext& context);
    ~HeadlessLogin() override;
    HeadlessLogin(const HeadlessLogin&) = delete;
    HeadlessLogin& operator=(const HeadlessLogin&) = delete;

    SiteLogin& login() override { return *m_login; }

private:
    // Declared in the order they are built; destroyed in reverse, so every page goes before the
    // profile.
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<CookieBridge> m_cookies;
    std::unique_ptr<SilentPage> m_page;
    std::unique_ptr<LiveBrowser> m_browser;
    std::unique_ptr<SiteLogin> m_login;
};

} // namespace mojing
