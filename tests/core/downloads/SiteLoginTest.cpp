#include "downloads/SiteLogin.h"
#include "dom/BrowserDocument.h"
#include "fakes/FakeBrowser.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString kLoginUrl = u"http://site.test/login"_s;
const QString kDoneUrl = u"http://site.test/done"_s;

QString formPage(const QString& inputs) {
    return u"<html><body><form action=\"/done\" method=\"post\">"_s + inputs + u"</form></body></html>"_s;
}

// A browser whose snapshots answer only when the test says so, as a live page's script does.
class DeferredSnapshotBrowser : public FakeBrowser {
public:
    void requestDocument(DocumentReceiver receive) override { pending.push_back(std::move(receive)); }
    void answer() {
        auto receivers = std::move(pending);
        pending.clear();
        for (auto& receive : receivers)
            receive(document());
    }
    std::vector<DocumentReceiver> pending;
};

struct Rig {
    Rig() {
        t.timing.pagePoll = 1ms;
        t.timing.loginWait = 200ms;
        t.timing.loginShortWait = 5ms;
        t.timing.snapshotLimit = 200ms;
        browser.addPage(kDoneUrl, u"<html><body>welcome</body></html>"_s);
        login = std::make_unique<SiteLogin>(*b, t.prompts, t.timing);
    }
    explicit Rig(FakeBrowser* custom) : Rig() {
        b = custom;
        login = std::make_unique<SiteLogin>(*b, t.prompts, t.timing);
        custom->addPage(kDoneUrl, u"<html><body>welcome</body></html>"_s);
    }
    LoginAccount account(LoginMode mode = LoginMode::Account) const {
        return {kLoginUrl, u"  reader "_s, u"secret"_s, mode};
    }
    // Runs a login to its end.
    bool runToEnd(const LoginAccount& a, bool showMessages = true) {
        login->run(a, showMessages);
        return t.pump.waitUntil([&] { return !login->isRunning(); }, 5000ms);
    }

    TestContext t;
    FakeBrowser browser;
    FakeBrowser* b = &browser;
    std::unique_ptr<SiteLogin> login;
};

struct FormCase {
    const char* name;
    QString inputs;
    bool submitted;
    QStringList valueWrites; // "input#index=value"
    QString clickedId;       // the submit that was clicked
};

TEST(SiteLogin, FillsAndSubmitsLoginForms) {
    const FormCase cases[] = {
        {"field names in any letter case",
         uR"(<input name="UserName"><input name="PassWord" type="password"><input type="submit" id="go">)"_s,
         true,
         {u"input#0=reader"_s, u"input#1=secret"_s},
         u"go"_s},
        {"userid and passwd",
         uR"(<input name="USERID"><input name="passwd"><input type="SUBMIT" id="go">)"_s,
         true,
         {u"input#0=reader"_s, u"input#1=secret"_s},
         u"go"_s},
        {"two user-name fields count as two",
         uR"(<input name="user"><input name="useruid"><input type="submit" id="go">)"_s,
         true,
         {u"input#0=reader"_s, u"input#1=reader"_s},
         u"go"_s},
        {"submit button before the fields is passed over",
         uR"(<input type="submit" id="early"><input name="username"><input name="pass">)"_s,
         false,
         {u"input#1=reader"_s, u"input#2=secret"_s},
         {}},
        {"submit after one field is passed over, none after the second",
         uR"(<input name="username"><input type="submit" id="early"><input name="password">)"_s,
         false,
         {u"input#0=reader"_s, u"input#2=secret"_s},
         {}},
        {"the first submit after two fields is clicked, once",
         uR"(<input name="username"><input type="submit" id="early"><input name="password">)"
         uR"(<input type="submit" id="late"><input type="submit" id="later">)"_s,
         true,
         {u"input#0=reader"_s, u"input#2=secret"_s},
         u"late"_s},
        {"other field names are not filled",
         uR"(<input name="login"><input name="pwd"><input type="submit">)"_s,
         false,
         {},
         {}},
        {"a submit button element is not an input",
         uR"(<input name="user"><input name="pass"><button>Go</button>)"_s,
         false,
         {u"input#0=reader"_s, u"input#1=secret"_s},
         {}},
    };
    for (const FormCase& c : cases) {
        Rig rig;
        rig.browser.addPage(kLoginUrl, formPage(c.inputs));
        ASSERT_TRUE(rig.runToEnd(rig.account())) << c.name;
        EXPECT_EQ(rig.browser.valueWrites(), c.valueWrites) << c.name;
        EXPECT_EQ(rig.browser.submissions().size(), c.submitted ? 1 : 0) << c.name;
        if (c.submitted) {
            EXPECT_EQ(rig.browser.clickedIds(), QStringList{c.clickedId}) << c.name;
            EXPECT_EQ(rig.browser.currentUrl(), kDoneUrl) << c.name;
        } else {
            EXPECT_EQ(rig.browser.clickCount(), 0) << c.name;
        }
        EXPECT_TRUE(rig.t.prompts.messages().isEmpty()) << c.name;
    }
}

TEST(SiteLogin, FilledValuesAreTheOnesSubmitted) {
    Rig rig;
    rig.browser.addPage(kLoginUrl,
                        formPage(uR"(<input name="UserName" value="old"><input name="PassWord">)"
                                 uR"(<input type="hidden" name="token" value="t1"><input type="submit">)"_s));
    ASSERT_TRUE(rig.runToEnd(rig.account()));
    ASSERT_EQ(rig.browser.submissions().size(), 1);
    const FakeBrowser::Submission& s = rig.browser.submissions().first();
    EXPECT_EQ(s.action, kDoneUrl);
    EXPECT_EQ(s.field(u"UserName"_s), u"reader"_s) << "trimmed";
    EXPECT_EQ(s.field(u"PassWord"_s), u"secret"_s);
    EXPECT_EQ(s.field(u"token"_s), u"t1"_s);
}

struct ModeCase {
    const char* name;
    LoginMode mode;
    QString page;
    QStringList clickedIds;
    int valueWrites;
};

TEST(SiteLogin, IpLoginClicksOnlyTheSubmitipElement) {
    const QString withButton =
        formPage(uR"(<input name="username"><input name="password"><input type="submit" id="submitip">)"_s);
    const ModeCase cases[] = {
        {"IP login clicks #submitip and fills nothing", LoginMode::Ip, withButton, {u"submitip"_s}, 0},
        {"IP login without #submitip only loads and pauses",
         LoginMode::Ip,
         formPage(uR"(<input type="submit" id="submit">)"_s),
         {},
         0},
        {"neither mode only loads and pauses", LoginMode::None, withButton, {}, 0},
    };
    for (const ModeCase& c : cases) {
        Rig rig;
        rig.browser.addPage(kLoginUrl, c.page);
        LoginAccount a = rig.account(c.mode);
        a.account.clear();
        a.password.clear(); // an IP login needs only the address
        ASSERT_TRUE(rig.runToEnd(a)) << c.name;
        EXPECT_EQ(rig.browser.navigations().first(), kLoginUrl) << c.name;
        EXPECT_EQ(rig.browser.clickedIds(), c.clickedIds) << c.name;
        EXPECT_EQ(rig.browser.valueWrites().size(), c.valueWrites) << c.name;
        EXPECT_TRUE(rig.t.prompts.messages().isEmpty()) << c.name;
    }
}

struct MissingCase {
    const char* name;
    LoginAccount account;
    bool showMessages;
    QStringList messages;
};

TEST(SiteLogin, MissingDataStopsBeforeLoadingAndClearsAutomaticLogin) {
    const MissingCase cases[] = {
        {"test login, empty address",
         {u""_s, u"a"_s, u"p"_s, LoginMode::Account},
         true,
         {SiteLogin::kNoAddress}},
        {"test login, blank address, IP login",
         {u"   "_s, {}, {}, LoginMode::Ip},
         true,
         {SiteLogin::kNoAddress}},
        {"automatic login, empty address", {u""_s, u"a"_s, u"p"_s, LoginMode::Account}, false, {}},
        {"test login, empty password",
         {kLoginUrl, u"a"_s, u" "_s, LoginMode::Account},
         true,
         {SiteLogin::kNoAccount}},
        {"test login, empty account",
         {kLoginUrl, u""_s, u"p"_s, LoginMode::Account},
         true,
         {SiteLogin::kNoAccount}},
        {"automatic login, empty password", {kLoginUrl, u"a"_s, u""_s, LoginMode::Account}, false, {}},
    };
    for (const MissingCase& c : cases) {
        Rig rig;
        QSignalSpy cleared(rig.login.get(), &SiteLogin::autoLoginCleared);
        QSignalSpy running(rig.login.get(), &SiteLogin::runningChanged);
        rig.login->run(c.account, c.showMessages);
        EXPECT_EQ(rig.t.prompts.messages(), c.messages) << c.name;
        if (!c.messages.isEmpty()) {
            EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Error) << c.name;
        }
        EXPECT_EQ(cleared.count(), 1) << c.name;
        EXPECT_EQ(running.count(), 0) << c.name;
        EXPECT_TRUE(rig.browser.navigations().isEmpty()) << c.name;
    }
}

TEST(SiteLogin, SecondStartWhileRunningIsIgnored) {
    Rig rig;
    rig.browser.addPage(kLoginUrl,
                        formPage(uR"(<input name="user"><input name="pass"><input type="submit">)"_s));
    QSignalSpy running(rig.login.get(), &SiteLogin::runningChanged);
    rig.login->run(rig.account(), true);
    EXPECT_TRUE(rig.login->isRunning()) << "测试登录 is disabled from the start";
    rig.login->run(rig.account(), true);  // the double click
    rig.login->run(rig.account(), false); // an automatic login after another transfer
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return !rig.login->isRunning(); }, 5000ms));
    EXPECT_EQ(rig.browser.navigations(), (QStringList{kLoginUrl, kDoneUrl}));
    EXPECT_EQ(rig.browser.submissions().size(), 1);
    EXPECT_EQ(running.count(), 2);
    EXPECT_TRUE(rig.t.prompts.messages().isEmpty());

    // Once it ended, the next run goes ahead.
    ASSERT_TRUE(rig.runToEnd(rig.account()));
    EXPECT_EQ(rig.browser.submissions().size(), 2);
}

TEST(SiteLogin, PagesThatNeverFinishEndTheRunAfterTheWaits) {
    struct Case {
        const char* name;
        QString stalling;
        int submissions;
    };
    const Case cases[] = {
        {"login page never loads", kLoginUrl, 0},
        {"submit never completes", kDoneUrl, 1},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.browser.addPage(kLoginUrl,
                            formPage(uR"(<input name="user"><input name="pass"><input type="submit">)"_s));
        rig.browser.setStalling(c.stalling);
        QSignalSpy finished(rig.login.get(), &SiteLogin::finished);
        ASSERT_TRUE(rig.runToEnd(rig.account())) << c.name;
        EXPECT_EQ(finished.count(), 1) << c.name;
        EXPECT_EQ(rig.browser.submissions().size(), c.submissions) << c.name;
        EXPECT_TRUE(rig.t.prompts.messages().isEmpty()) << c.name;
    }
}

TEST(SiteLogin, OpenLoginPageHoldsItsButtonUntilThePageIsThere) {
    Rig rig;
    rig.browser.setLoadDelay(20ms);
    rig.browser.addPage(kLoginUrl, u"<p>login</p>"_s);
    QSignalSpy opening(rig.login.get(), &SiteLogin::openingPageChanged);
    EXPECT_FALSE(rig.login->openLoginPage(u"  "_s)) << "an empty address does nothing";
    EXPECT_TRUE(rig.browser.navigations().isEmpty());
    EXPECT_TRUE(rig.login->openLoginPage(u" "_s + kLoginUrl + u" "_s));
    EXPECT_TRUE(rig.login->isOpeningPage());
    EXPECT_TRUE(rig.browser.navigationPending()) << "LoginPageLoading is set before the navigation";
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return !rig.login->isOpeningPage(); }, 5000ms));
    EXPECT_EQ(rig.browser.currentUrl(), kLoginUrl) << "released by the completed page, not the limit";
    EXPECT_EQ(rig.browser.navigations(), QStringList{kLoginUrl});
    EXPECT_EQ(opening.count(), 2);
    EXPECT_FALSE(rig.login->isRunning()) << "浏览 alone is not a login";
}

TEST(SiteLogin, ASnapshotThatNeverArrivesEndsTheRunAndALateOneIsIgnored) {
    auto* browser = new DeferredSnapshotBrowser;
    Rig rig(browser);
    std::unique_ptr<FakeBrowser> owner(browser);
    browser->addPage(kLoginUrl,
                     formPage(uR"(<input name="user"><input name="pass"><input type="submit">)"_s));
    ASSERT_TRUE(rig.runToEnd(rig.account()));
    browser->answer();
    rig.t.pump.sleepFor(20ms);
    EXPECT_TRUE(browser->valueWrites().isEmpty());
    EXPECT_TRUE(browser->submissions().isEmpty());
    EXPECT_FALSE(rig.login->isRunning());
}

// The window that owns the login may close in any of its waits: nothing of the run is on the
// stack then, and what arrives afterwards finds nobody.
TEST(SiteLogin, OwnerMayGoAwayInEveryWait) {
    enum class Stage { LoadingPage, ReadingPage, Submitted, Pausing };
    const std::pair<const char*, Stage> stages[] = {
        {"while the login page loads", Stage::LoadingPage},
        {"while the page's snapshot is awaited", Stage::ReadingPage},
        {"while the submitted form loads", Stage::Submitted},
        {"during the final pause", Stage::Pausing},
    };
    for (const auto& [name, stage] : stages) {
        auto* browser = new DeferredSnapshotBrowser;
        std::unique_ptr<FakeBrowser> owner(browser);
        Rig rig(browser);
        rig.t.timing.loginShortWait = 2000ms;
        rig.t.timing.snapshotLimit = 2000ms;
        browser->setLoadDelay(5ms);
        // Without a form the run goes straight from the snapshot to the pause.
        browser->addPage(kLoginUrl,
                         stage == Stage::Pausing
                             ? u"<p>no form</p>"_s
                             : formPage(uR"(<input name="user"><input name="pass"><input type="submit">)"_s));
        if (stage == Stage::Submitted)
            browser->setStalling(kDoneUrl);
        rig.login = std::make_unique<SiteLogin>(*browser, rig.t.prompts, rig.t.timing);
        rig.login->run(rig.account(), true);
        if (stage != Stage::LoadingPage) {
            ASSERT_TRUE(rig.t.pump.waitUntil([&] { return !browser->pending.empty(); }, 5000ms)) << name;
            if (stage != Stage::ReadingPage) {
                browser->answer();
                ASSERT_EQ(browser->submissions().size(), stage == Stage::Submitted ? 1 : 0) << name;
                ASSERT_TRUE(rig.login->isRunning()) << name;
            }
        }
        rig.login.reset();
        browser->answer(); // a late snapshot answer
        rig.t.pump.sleepFor(30ms);
        EXPECT_TRUE(browser->pending.empty()) << name;
    }
}

} // namespace
