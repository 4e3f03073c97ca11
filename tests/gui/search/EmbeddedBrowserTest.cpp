#include "SilentPage.h"
#include "search/SearchWindow.h"
#include "shell/WindowFlow.h"
#include "support/PageServer.h"
#include "support/TestContext.h"
#include "widgets/StatusPanels.h"

#include <QApplication>
#include <QCheckBox>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

constexpr Millis kLoadLimit{20000};

// The real search window on pages served from loopback.
class EmbeddedBrowserTest : public ::testing::Test {
protected:
    EmbeddedBrowserTest() {
        server.page(u"/index.html"_s, R"html(<html><head><title>index</title></head><body>
            <a id="blank" href="/target.html" target="_blank">new window</a>
            <a id="maker" href="/maker/page.html">maker</a>
            <iframe id="f" src="/frame1.html" onload="document.title = 'frame ' + (++window.frameLoads)"></iframe>
            <script>window.frameLoads = 0;</script></body></html>)html");
        server.page(u"/target.html"_s, "<html><title>target</title><body>t</body></html>");
        server.page(u"/frame1.html"_s, "<html><body>frame 1</body></html>");
        server.page(u"/frame2.html"_s, "<html><body>frame 2</body></html>");
        server.page(u"/maker/page.html"_s, "<html><title>maker</title></html>");
        server.page(u"/dialogs.html"_s,
                    "<html><title>dialogs</title><script>alert('a'); confirm('b'); prompt('c');"
                    "document.title = 'after dialogs';</script></html>");

        config.homePage = server.url(u"/index.html"_s);
        config.makerDomains = {u"/maker/"_s};
        flow.setCover(&cover);
        flow.setFactory(WindowFlow::kSearch,
                        [this] { return new SearchWindow(*context, flow, profile.get(), config); });
        window = static_cast<SearchWindow*>(flow.showForm(WindowFlow::kSearch));
        QObject::connect(window->page(), &SilentPage::topLevelDocumentComplete, window,
                         [this](const QUrl&, bool) { ++topLevelCompletions; });
    }
    ~EmbeddedBrowserTest() override { flow.deleteAllForms(); }

    bool waitFor(const std::function<bool()>& done) { return t.pump.waitUntil(done, kLoadLimit); }
    ::testing::AssertionResult waitForTitle(const QString& title) {
        if (waitFor([this, title] { return window->page()->title() == title; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "title " << window->page()->title().toStdString() << " at "
                                             << window->page()->url().toString().toStdString() << " after "
                                             << server.requested().size() << " requests";
    }
    void runScript(const QString& script) { window->page()->runJavaScript(script); }
    int topLevelWindows() const {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w->isVisible() ? 1 : 0;
        return n;
    }

    TestContext t{1.0};
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>(t.context());
    PageServer server;
    std::unique_ptr<QWebEngineProfile> profile = std::make_unique<QWebEngineProfile>();
    BrowserConfig config;
    QWidget cover;
    WindowFlow flow;
    SearchWindow* window = nullptr;
    int topLevelCompletions = 0;
};

TEST_F(EmbeddedBrowserTest, BlankTargetLinkOpensInTheSameView) {
    ASSERT_TRUE(waitForTitle(u"frame 1"_s)) << "home page with its frame loads";
    const int windowsBefore = topLevelWindows();
    runScript(u"document.getElementById('blank').click()"_s);
    ASSERT_TRUE(waitForTitle(u"target"_s));
    EXPECT_EQ(window->webBrowser1()->url(), QUrl(server.url(u"/target.html"_s)));
    EXPECT_EQ(topLevelWindows(), windowsBefore) << "no new window appeared";
    EXPECT_EQ(window->webBrowser1()->page(), window->page());

    // Back returns to the result page.
    window->goBack();
    ASSERT_TRUE(waitFor([this] { return window->page()->url().path() == u"/index.html"_s; }));
}

TEST_F(EmbeddedBrowserTest, WindowCloseFromThePageLeavesTheBrowserOpen) {
    ASSERT_TRUE(waitForTitle(u"frame 1"_s));
    int closeRequests = 0;
    QObject::connect(window->page(), &QWebEnginePage::windowCloseRequested, window, [&] { ++closeRequests; });
    runScript(u"window.close(); document.title = 'still here';"_s);
    ASSERT_TRUE(waitFor([&] { return closeRequests > 0; })) << "the page asked to close";
    t.pump.pumpOnce();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(flow.isFormLoaded(WindowFlow::kSearch));
    EXPECT_EQ(window->page()->title(), u"still here"_s);
    EXPECT_EQ(window->webBrowser1()->page(), window->page());
}

TEST_F(EmbeddedBrowserTest, FrameLoadsDoNotCountAsDocumentCompletion) {
    ASSERT_TRUE(waitForTitle(u"frame 1"_s));
    ASSERT_TRUE(waitFor([this] { return topLevelCompletions == 1; }));
    runScript(u"document.getElementById('f').src = '/frame2.html'"_s);
    ASSERT_TRUE(waitForTitle(u"frame 2"_s)) << "the frame navigated and finished";
    t.pump.pumpOnce();
    EXPECT_EQ(topLevelCompletions, 1);
    EXPECT_EQ(server.requestCount(u"/frame2.html"_s), 1);

    window->page()->setUrl(QUrl(server.url(u"/target.html"_s)));
    ASSERT_TRUE(waitFor([this] { return topLevelCompletions == 2; }));
}

TEST_F(EmbeddedBrowserTest, SilentModeSwallowsScriptDialogs) {
    ASSERT_TRUE(window->checkBox(u"Check2"_s)->isChecked());
    window->page()->setUrl(QUrl(server.url(u"/dialogs.html"_s)));
    ASSERT_TRUE(waitForTitle(u"after dialogs"_s)) << "the script ran on without waiting for anyone";
    EXPECT_EQ(window->page()->suppressedDialogs(), 3);
}

TEST_F(EmbeddedBrowserTest, StatusBarHidesOnTheMakersPages) {
    ASSERT_TRUE(waitForTitle(u"frame 1"_s));
    EXPECT_FALSE(window->statusBar1()->isHidden());
    runScript(u"document.getElementById('maker').click()"_s);
    ASSERT_TRUE(waitForTitle(u"maker"_s));
    EXPECT_TRUE(window->statusBar1()->isHidden());
    window->openPlatformHome();
    ASSERT_TRUE(waitForTitle(u"frame 1"_s));
    EXPECT_FALSE(window->statusBar1()->isHidden());
}

} // namespace
