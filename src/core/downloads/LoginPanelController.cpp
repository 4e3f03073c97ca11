#include "LoginPanelController.h"

#include "DownloadSession.h"
#include "dom/Browser.h"
#include "platform/Prompts.h"

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
const QString kBlank = u"about:blank"_s;
} // namespace

LoginPanelController::LoginPanelController(DownloadSession& session, Browser& browser, QObject* parent)
    : QObject(parent), m_session(session), m_browser(browser),
      m_login(browser, session.context().prompts, session.context().timing, this) {
    m_refresh.setInterval(int(session.context().timing.loginRefresh.count()));
    connect(&m_refresh, &QTimer::timeout, this, [this] { m_browser.reload(); });
    connect(&m_login, &SiteLogin::autoLoginCleared, this, [this] { applyAutoLogin(false); });
    // New rows wait while the site session is being renewed; running transfers go on.
    connect(&m_login, &SiteLogin::runningChanged, this,
            [this](bool running) { m_session.setSiteLoginRunning(running); });
    // The transfers ask for the automatic login only while "自动登录" is ticked.
    connect(&session, &DownloadSession::siteLoginRequested, this,
            [this](int) { m_login.run(m_fields, false); });
    applyAutoLogin(false);
}

void LoginPanelController::setAutoLogin(bool ticked) {
    if (ticked) {
        const QString missing = m_fields.missingData();
        if (!missing.isEmpty()) {
            m_session.context().prompts.message(missing, MessageIcon::Error);
            ticked = false;
        }
    }
    applyAutoLogin(ticked);
}

void LoginPanelController::applyAutoLogin(bool on) {
    m_autoLogin = on;
    m_session.options().siteLogin = on;
    emit autoLoginChanged(on);
}

void LoginPanelController::setAutoRefresh(bool ticked) {
    if (ticked)
        m_refresh.start();
    else
        m_refresh.stop();
}

void LoginPanelController::showPanel(int selectedRow) {
    m_panelVisible = true;
    emit panelVisibleChanged(true);
    const DownloadListModel& list = m_session.list();
    if (!autoRefresh() && !m_autoLogin && selectedRow >= 0 && selectedRow < list.count())
        m_browser.navigate(DownloadListModel::currentUrl(list.at(selectedRow).key));
}

void LoginPanelController::hidePanel() {
    m_panelVisible = false;
    emit panelVisibleChanged(false);
    if (!autoRefresh())
        m_browser.navigate(kBlank);
}

void LoginPanelController::showBrowserStatus(const QString& text) {
    if (text.trimmed().toLower() != kBlank)
        m_session.showStatus(3, text);
}

void LoginPanelController::stop() {
    m_refresh.stop();
}

} // namespace mojing
