#include "downloads/LoginPanelController.h"
#include "downloads/DownloadSession.h"
#include "downloads/Scheduler.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeTransferMethods.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString kLoginUrl = u"http://site.test/login"_s;

struct Rig {
    Rig() : session(t.context()), controller(session, browser) {
        t.timing.pagePoll = 1ms;
        t.timing.loginWait = 200ms;
        t.timing.loginShortWait = 30ms;
        t.timing.loginRefresh = 10ms;
        browser.addPage(kLoginUrl, u"<form action=\"/done\"><input name=\"user\"><input name=\"pass\">"
                                   u"<input type=\"submit\"></form>"_s);
    }
    void fill(LoginMode mode, const QString& address, const QString& account, const QString& password) {
        controller.setMode(mode);
        controller.setAddress(address);
        controller.setAccountName(account);
        controller.setPassword(password);
    }

    TestContext t;
    DownloadSession session;
    FakeBrowser browser;
    LoginPanelController controller;
};

struct TickCase {
    const char* name;
    LoginMode mode;
    QString address;
    QString account;
    QString password;
    bool staysTicked;
    QStringList messages;
};

TEST(LoginPanelController, TickingAutomaticLoginChecksTheFields) {
    const TickCase cases[] = {
        {"account login with every field", LoginMode::Account, kLoginUrl, u"a"_s, u"p"_s, true, {}},
        {"account login, empty password",
         LoginMode::Account,
         kLoginUrl,
         u"a"_s,
         u""_s,
         false,
         {SiteLogin::kNoAccount}},
        {"account login, blank account",
         LoginMode::Account,
         kLoginUrl,
         u"  "_s,
         u"p"_s,
         false,
         {SiteLogin::kNoAccount}},
        {"account login, no address",
         LoginMode::Account,
         u""_s,
         u"a"_s,
         u"p"_s,
         false,
         {SiteLogin::kNoAddress}},
        {"IP login needs only the address", LoginMode::Ip, kLoginUrl, u""_s, u""_s, true, {}},
        {"IP login, no address", LoginMode::Ip, u" "_s, u""_s, u""_s, false, {SiteLogin::kNoAddress}},
    };
    for (const TickCase& c : cases) {
        Rig rig;
        rig.fill(c.mode, c.address, c.account, c.password);
        QSignalSpy shown(&rig.controller, &LoginPanelController::autoLoginChanged);
        rig.controller.setAutoLogin(true);
        EXPECT_EQ(rig.controller.autoLogin(), c.staysTicked) << c.name;
        EXPECT_EQ(rig.session.options().siteLogin, c.staysTicked) << c.name;
        ASSERT_EQ(shown.count(), 1) << c.name;
        EXPECT_EQ(shown.at(0).at(0).toBool(), c.staysTicked) << c.name;
        EXPECT_EQ(rig.t.prompts.messages(), c.messages) << c.name;
        EXPECT_TRUE(rig.browser.navigations().isEmpty()) << c.name << ": ticking does not log in";
    }
}

TEST(LoginPanelController, AutomaticLoginAfterAWebPageRunsTheLogin) {
    Rig rig;
    rig.fill(LoginMode::Account, kLoginUrl, u"a"_s, u"p"_s);
    rig.controller.setAutoLogin(true);
    emit rig.session.siteLoginRequested(0);
    EXPECT_TRUE(rig.controller.login().isRunning());
    EXPECT_TRUE(rig.session.siteLoginRunning()) << "new rows wait for the login";
    emit rig.session.siteLoginRequested(1); // the next web page meanwhile: ignored
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return !rig.controller.login().isRunning(); }, 5000ms));
    EXPECT_FALSE(rig.session.siteLoginRunning());
    EXPECT_EQ(rig.browser.submissions().size(), 1);
    EXPECT_TRUE(rig.controller.autoLogin());
}

TEST(LoginPanelController, AutomaticLoginWithDataGoneClearsTheBoxSilently) {
    Rig rig;
    rig.fill(LoginMode::Account, kLoginUrl, u"a"_s, u"p"_s);
    rig.controller.setAutoLogin(true);
    rig.controller.setPassword(u""_s); // the user emptied the field after ticking
    QSignalSpy shown(&rig.controller, &LoginPanelController::autoLoginChanged);
    emit rig.session.siteLoginRequested(0);
    EXPECT_FALSE(rig.controller.autoLogin());
    EXPECT_FALSE(rig.session.options().siteLogin) << "no more automatic logins until ticked again";
    ASSERT_EQ(shown.count(), 1);
    EXPECT_FALSE(shown.at(0).at(0).toBool());
    EXPECT_TRUE(rig.t.prompts.messages().isEmpty());
    EXPECT_TRUE(rig.browser.navigations().isEmpty());
}

TEST(LoginPanelController, MinuteReloadRunsExactlyWhileTicked) {
    Rig rig;
    rig.browser.show(kLoginUrl);
    rig.controller.setAutoRefresh(true);
    EXPECT_TRUE(rig.controller.autoRefresh());
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return rig.browser.reloadCount() >= 2; }, 5000ms));
    rig.controller.setAutoRefresh(false);
    EXPECT_FALSE(rig.controller.autoRefresh());
    const int reloads = rig.browser.reloadCount();
    rig.t.pump.sleepFor(50ms);
    EXPECT_EQ(rig.browser.reloadCount(), reloads);
}

struct ShowCase {
    const char* name;
    bool autoRefresh;
    bool autoLogin;
    int selectedRow;
    QStringList navigations;
};

TEST(LoginPanelController, ShowingThePanelOpensTheSelectedRowsAddress) {
    const ShowCase cases[] = {
        {"neither box, a selected row", false, false, 1, {u"http://h/b1.pdf"_s}},
        {"neither box, no selected row", false, false, -1, {}},
        {"minute reload on", true, false, 1, {}},
        {"automatic login on", false, true, 1, {}},
    };
    for (const ShowCase& c : cases) {
        Rig rig;
        rig.session.list().addRow(u"http://h/a.pdf"_s, u"a"_s, u"pdf"_s, u"/tmp/"_s, {});
        rig.session.list().addRow(u"http://h/b1.pdf|http://h/b2.pdf"_s, u"b"_s, u"pdf"_s, u"/tmp/"_s, {});
        rig.fill(LoginMode::Ip, kLoginUrl, {}, {});
        rig.controller.setAutoRefresh(c.autoRefresh);
        rig.controller.setAutoLogin(c.autoLogin);
        QSignalSpy visible(&rig.controller, &LoginPanelController::panelVisibleChanged);
        rig.controller.showPanel(c.selectedRow);
        EXPECT_TRUE(rig.controller.panelVisible()) << c.name;
        EXPECT_EQ(visible.count(), 1) << c.name;
        EXPECT_EQ(rig.browser.navigations(), c.navigations) << c.name;
    }
}

TEST(LoginPanelController, HidingKeepsThePageOnlyWithTheMinuteReload) {
    for (const bool autoRefresh : {false, true}) {
        Rig rig;
        rig.browser.show(kLoginUrl);
        rig.controller.setAutoRefresh(autoRefresh);
        rig.controller.showPanel(-1);
        rig.controller.hidePanel();
        EXPECT_FALSE(rig.controller.panelVisible());
        EXPECT_EQ(rig.browser.navigations(), autoRefresh ? QStringList{} : QStringList{u"about:blank"_s})
            << "autoRefresh " << autoRefresh;
        EXPECT_EQ(rig.controller.autoRefresh(), autoRefresh) << "the minute reload goes on while hidden";
    }
}

TEST(LoginPanelController, BrowserStatusGoesToPanelThreeExceptTheBlankPage) {
    const std::pair<QString, bool> cases[] = {
        {u"http://site.test/help"_s, true},
        {u"about:blank"_s, false},
        {u"  ABOUT:BLANK "_s, false},
        {u""_s, true},
    };
    for (const auto& [text, shown] : cases) {
        Rig rig;
        QSignalSpy status(&rig.session, &DownloadSession::statusTextChanged);
        rig.controller.showBrowserStatus(text);
        ASSERT_EQ(status.count(), shown ? 1 : 0) << text.toStdString();
        if (shown) {
            EXPECT_EQ(status.at(0).at(0).toInt(), 3);
            EXPECT_EQ(status.at(0).at(1).toString(), text);
        }
    }
}

// Rows that would meet the expired session again wait while the login renews it; transfers that
// already run are left alone.
TEST(LoginPanelController, SchedulerStartsNoRowWhileALoginRuns) {
    Rig rig;
    FakeTransferMethods methods(rig.session);
    Scheduler scheduler(rig.session, methods);
    rig.session.list().addRow(u"http://h/a.pdf"_s, u"a"_s, u"pdf"_s, rig.t.path(u"out"_s) + u'/', {});
    rig.fill(LoginMode::Account, kLoginUrl, u"a"_s, u"p"_s);
    rig.controller.testLogin();
    scheduler.start();
    rig.session.lastTransferEndMs = 0;
    scheduler.schedulerTick();
    EXPECT_TRUE(methods.starts.empty());
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return !rig.controller.login().isRunning(); }, 5000ms));
    scheduler.schedulerTick();
    EXPECT_EQ(methods.starts.size(), 1u);
}

} // namespace
