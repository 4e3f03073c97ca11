#include "downloads/LoginPanel.h"
#include "CookieBridge.h"
#include "SilentPage.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadWindowBinding.h"
#include "downloads/FileDownloadWindow.h"
#include "downloads/LoginPanelBinding.h"
#include "downloads/LoginPanelController.h"
#include "support/LoginSite.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"
#include "transfer/SharedCookieJar.h"
#include "widgets/StatusPanels.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray pdf(int n) {
    return "%PDF-1.4\n% paper " + QByteArray::number(n) + "\n" + QByteArray(3000 + n, 'x') + "\n%%EOF\n";
}

// A download window with its engine and its login panel, on an off-the-record profile whose
// cookies are bridged to the transfers as in the program, against the loopback login site.
class LoginPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        t.timing.tick = 20ms;
        t.timing.pagePoll = 20ms;
        t.timing.loginWait = 15000ms; // pages load at their own pace here
        t.timing.snapshotLimit = 5000ms;
        t.timing.loginShortWait = 100ms;
        profile = std::make_unique<QWebEngineProfile>();
        bridge = std::make_unique<CookieBridge>(profile->cookieStore(), network.cookieJar());
        window = std::make_unique<FileDownloadWindow>(t.context(), nullptr);
        engine = new DownloadWindowBinding(*window, network);
        login = new LoginPanelBinding(*window, profile.get());
        folder = t.path(u"out"_s) + QDir::separator();
        site.setAccount(u"reader"_s, u"pa ss"_s);
        for (int i = 1; i <= 4; ++i)
            site.addFile(u"p"_s + QString::number(i) + u".pdf"_s, pdf(i));
        // The page's first load starts the profile's network context.
        ASSERT_TRUE(waitFor(
            [&] { return panel().page()->url() == QUrl(u"about:blank"_s) && !panel().page()->isLoading(); }));
    }
    void TearDown() override {
        window.reset(); // its pages go before the profile
        bridge.reset();
        profile.reset();
    }

    LoginPanel& panel() { return login->panel(); }
    DownloadSession& session() { return window->session(); }
    template <typename T> T* find(const QString& name) { return window->findChild<T*>(name); }
    bool waitFor(const std::function<bool()>& done, int ms = 20000) {
        return t.pump.waitUntil(done, Millis(ms));
    }
    void fillAccount(const QString& url, const QString& user, const QString& password) {
        panel().text1()->setText(url);
        panel().text2()->setText(user);
        panel().text3()->setText(password);
    }
    bool loginIdle() { return panel().command5()->isEnabled(); }
    void addRows(int count) {
        for (int i = 1; i <= count; ++i)
            session().list().addRow(site.fileUrl(u"p"_s + QString::number(i) + u".pdf"_s),
                                    u"p"_s + QString::number(i), u"pdf"_s, folder, {});
    }
    QByteArray fileAt(const QString& name) {
        QFile f(folder + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TestContext t{0.02};
    NetworkLayer network;
    std::unique_ptr<QWebEngineProfile> profile;
    std::unique_ptr<CookieBridge> bridge;
    std::unique_ptr<FileDownloadWindow> window;
    DownloadWindowBinding* engine = nullptr;
    LoginPanelBinding* login = nullptr;
    LoginSite site;
    QString folder;
};

TEST_F(LoginPanelTest, PanelStartsHiddenEmptyAndSilent) {
    EXPECT_TRUE(find<QWidget>(u"PicWebBK"_s)->isHidden());
    const std::pair<const char*, QString> captions[] = {
        {"Option4", u"帐号登录："_s},      {"Option5", u"IP登录"_s},    {"Check2", u"自动登录"_s},
        {"Check1", u"自动刷新(每分钟)"_s}, {"Command2", u"浏览"_s},     {"Command5", u"测试登录"_s},
        {"Command3", u"关闭(隐藏)"_s},     {"Command1", u"网页登录"_s},
    };
    for (const auto& [name, caption] : captions) {
        auto* button = find<QAbstractButton>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption) << name;
    }
    for (const char* name : {"Text1", "Text2", "Text3"})
        EXPECT_TRUE(find<QLineEdit>(QString::fromLatin1(name))->text().isEmpty()) << name;
    EXPECT_EQ(find<QLineEdit>(u"Text3"_s)->echoMode(), QLineEdit::Password) << "the password is masked";
    EXPECT_TRUE(find<QRadioButton>(u"Option4"_s)->isChecked());
    EXPECT_FALSE(find<QCheckBox>(u"Check1"_s)->isChecked());
    EXPECT_FALSE(find<QCheckBox>(u"Check2"_s)->isChecked());
    auto* combo3 = find<QComboBox>(u"Combo3"_s);
    ASSERT_EQ(combo3->count(), 1);
    EXPECT_EQ(combo3->currentText(), u"下载到网页文件(htm/html/asp)文件"_s);
    ASSERT_NE(find<QWebEngineView>(u"Web1"_s), nullptr);
    EXPECT_EQ(find<QWebEngineView>(u"Web1"_s)->page()->profile(), profile.get());
    EXPECT_FALSE(session().options().siteLogin);
}

TEST_F(LoginPanelTest, WebLoginShowsThePanelOverTheListWithTheSelectedRowsPage) {
    window->show();
    addRows(2);
    window->listView3()->selectRow(1);
    find<QAbstractButton>(u"Command1"_s)->click();
    EXPECT_TRUE(t.prompts.messages().isEmpty()) << "网页登录 is no placeholder";
    EXPECT_TRUE(panel().isVisible());
    EXPECT_EQ(panel().geometry(), window->listView3()->geometry()) << "laid over the list";
    ASSERT_TRUE(waitFor([&] { return panel().page()->url().toString() == site.fileUrl(u"p2.pdf"_s); }));
    ASSERT_TRUE(waitFor([&] { return !panel().page()->isLoading(); }));
    EXPECT_EQ(site.loginPagesInsteadOfFiles(), 1) << "the user sees what the site returns for the row";

    panel().command3()->click();
    EXPECT_FALSE(panel().isVisible());
    EXPECT_TRUE(waitFor([&] { return panel().page()->url() == QUrl(u"about:blank"_s); }))
        << "without the minute reload the page goes";

    find<QCheckBox>(u"Check1"_s)->click();
    find<QAbstractButton>(u"Command1"_s)->click();
    panel().page()->setUrl(QUrl(site.loginUrl()));
    ASSERT_TRUE(waitFor([&] { return !panel().page()->isLoading(); }));
    panel().command3()->click();
    t.pump.sleepFor(300ms);
    EXPECT_EQ(panel().page()->url().toString(), site.loginUrl()) << "the minute reload keeps the page";
    EXPECT_TRUE(login->controller().autoRefresh());
}

TEST_F(LoginPanelTest, ScriptWindowsWithoutAnAddressLeaveTheLoginPageAlone) {
    panel().page()->setUrl(QUrl(site.loginUrl()));
    ASSERT_TRUE(
        waitFor([&] { return panel().page()->title() == u"Sign in"_s && !panel().page()->isLoading(); }));
    QStringList shown;
    QObject::connect(panel().page(), &QWebEnginePage::urlChanged, panel().page(),
                     [&shown](const QUrl& url) { shown << url.toString(); });
    bool opened = false;
    QObject::connect(panel().page(), &QWebEnginePage::newWindowRequested, panel().page(),
                     [&opened](QWebEngineNewWindowRequest&) { opened = true; });
    panel().page()->runJavaScript(u"window.open(''); window.open('about:blank');"_s);
    ASSERT_TRUE(waitFor([&] { return opened; }));
    t.pump.sleepFor(500ms);
    EXPECT_TRUE(shown.filter(u"about:blank"_s).isEmpty()) << shown.join(u' ').toStdString();
    // A window with an address opens in the panel's browser, as any new window does.
    panel().page()->runJavaScript(u"window.open('/ip');"_s);
    EXPECT_TRUE(waitFor([&] { return panel().page()->url().toString() == site.ipLoginUrl(); }));
}

TEST_F(LoginPanelTest, TickingAutomaticLoginWithoutAnAccountIsRefused) {
    panel().text1()->setText(site.loginUrl());
    find<QCheckBox>(u"Check2"_s)->click();
    EXPECT_FALSE(find<QCheckBox>(u"Check2"_s)->isChecked());
    EXPECT_EQ(t.prompts.messages(), QStringList{u"帐号登录,必须先设置登录帐号和登录密码！"_s});
    find<QRadioButton>(u"Option5"_s)->click();
    find<QCheckBox>(u"Check2"_s)->click();
    EXPECT_TRUE(find<QCheckBox>(u"Check2"_s)->isChecked()) << "an IP login needs only the address";
    EXPECT_TRUE(session().options().siteLogin);
}

// One click on "测试登录" (the second one lands while it is disabled) logs in; the session cookie
// the site sets reaches the transfers of both methods.
TEST_F(LoginPanelTest, TestLoginLogsInOnceAndBothMethodsUseTheSession) {
    fillAccount(site.loginUrl(), u" reader"_s, u"pa ss"_s);
    panel().command5()->click();
    EXPECT_FALSE(panel().command5()->isEnabled());
    panel().command5()->click();
    ASSERT_TRUE(waitFor([&] { return loginIdle(); }));
    ASSERT_EQ(site.attempts().size(), 1);
    EXPECT_TRUE(site.attempts().first().accepted);
    EXPECT_EQ(site.attempts().first().user, u"reader"_s);
    EXPECT_EQ(panel().page()->url().path(), u"/welcome"_s);
    ASSERT_TRUE(waitFor([&] {
        for (const QNetworkCookie& c : network.cookieJar().cookies())
            if (c.name() == "sid")
                return true;
        return false;
    })) << "the login's cookie reaches the transfers' jar";

    addRows(2);
    NetworkTransferMethods& methods = engine->engine().methods();
    QDir().mkpath(folder); // the scheduler's part before a method-2 start
    methods.startMethod2(1, 0, site.fileUrl(u"p1.pdf"_s), folder + u"p1.pdf"_s);
    methods.startMethod1(1);
    ASSERT_TRUE(waitFor([&] { return session().list().isListFinished() && engine->engine().idle(); }));
    EXPECT_TRUE(fileAt(u"p1.pdf"_s) == pdf(1)) << "method 2";
    EXPECT_TRUE(fileAt(u"p2.pdf"_s) == pdf(2)) << "method 1";
    EXPECT_EQ(site.loginPagesInsteadOfFiles(), 0);
    EXPECT_EQ(site.sessionCount(), 1);
}

// The session ends after two files: rows meet the login page and end as web pages, the automatic
// login renews the session, and the automatic re-download fetches them again.
TEST_F(LoginPanelTest, DownloadWindowRecoversFromLoginPagesByItself) {
    for (const int method : {2, 1}) {
        SCOPED_TRACE(method);
        session().list().clear();
        QDir(folder).removeRecursively();
        site.expireSessions();
        site.setFilesPerSession(2);
        const int sessionsBefore = site.sessionCount();
        addRows(4);
        session().options().method = method;
        session().options().slotCount = 2;
        window->showOptions();
        fillAccount(site.loginUrl(), u"reader"_s, u"pa ss"_s);
        auto* check2 = find<QCheckBox>(u"Check2"_s);
        if (!check2->isChecked())
            check2->click();
        ASSERT_TRUE(session().options().siteLogin);
        find<QComboBox>(u"Combo4"_s)->setCurrentIndex(2); // failed and web-page rows
        if (!find<QCheckBox>(u"Check3"_s)->isChecked())
            find<QCheckBox>(u"Check3"_s)->click();
        find<QAbstractButton>(u"Command4"_s)->click();

        ASSERT_TRUE(waitFor(
            [&] {
                const DownloadListModel& list = session().list();
                for (int i = 0; i < list.count(); ++i)
                    if (list.at(i).state != RowState::Finished || list.at(i).type != u"pdf"_s)
                        return false;
                return true;
            },
            60000))
            << session().list().countsText().toStdString();
        for (int i = 1; i <= 4; ++i)
            EXPECT_TRUE(fileAt(u"p"_s + QString::number(i) + u".pdf"_s) == pdf(i)) << i;
        EXPECT_GE(site.sessionCount() - sessionsBefore, 2) << "logged in again after the session expired";
        EXPECT_GE(site.loginPagesInsteadOfFiles(), 1);
        find<QAbstractButton>(u"Command31"_s)->click();
        ASSERT_TRUE(waitFor([&] { return loginIdle(); }));
    }
}

// The window may go while a login waits for a page or pauses: nothing of the login is on the
// stack then, and its timers and pending answers go with it.
TEST_F(LoginPanelTest, WindowMayCloseWhileALoginWaits) {
    for (const bool afterSubmit : {false, true}) {
        SCOPED_TRACE(afterSubmit);
        if (!window) {
            window = std::make_unique<FileDownloadWindow>(t.context(), nullptr);
            engine = new DownloadWindowBinding(*window, network);
            login = new LoginPanelBinding(*window, profile.get());
        }
        t.timing.loginShortWait = 3000ms;
        const int attempts = int(site.attempts().size());
        fillAccount(site.loginUrl(), u"reader"_s, u"pa ss"_s);
        panel().command5()->click();
        if (afterSubmit)
            ASSERT_TRUE(
                waitFor([&] { return site.attempts().size() > attempts && !panel().page()->isLoading(); }));
        QPointer<QObject> gone = window.get();
        window->close();
        window.release()->deleteLater();
        ASSERT_TRUE(waitFor([&] { return gone.isNull(); }));
        t.pump.sleepFor(300ms); // the waits would have ended here
    }
}

} // namespace
