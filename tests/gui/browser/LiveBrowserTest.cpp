#include "LiveBrowser.h"
#include "DemoPlatformServer.h"
#include "dom/BrowserDocument.h"
#include "platform/EventPump.h"
#include "support/PageServer.h"
#include "support/QtPrinters.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(LiveBrowser, SnapshotsClicksAndHistoryOfALivePage) {
    DemoPlatformServer demo;
    ASSERT_TRUE(demo.start());
    QWebEngineProfile profile;
    auto page = std::make_unique<QWebEnginePage>(&profile);
    EventPump pump;
    const Timing timing;
    LiveBrowser browser(page.get(), pump, timing);
    auto settle = [&] {
        return pump.waitUntil([&] { return !browser.busy() && !browser.navigationPending(); }, Millis(20000));
    };

    EXPECT_FALSE(browser.goBack()) << "no history yet";
    browser.setNavigationPending(true);
    browser.navigate(demo.searchUrl(u"soil"_s, 0).toString());
    ASSERT_TRUE(settle()) << "a finished top-level load clears the pending flag";

    const auto first = browser.document();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->URL().contains(u"startPage=0"_s));
    EXPECT_EQ(first->getElementsByTagName(u"ol"_s).item(0).className(), u"search-results"_s);
    const DomElement next = first->getElementsByTagName(u"a"_s).item(
        first->getElementsByTagName(u"a"_s).length() - 2); // the "next" pager link
    ASSERT_EQ(next.innerText(), u"next"_s);

    browser.setNavigationPending(true);
    next.click();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(browser.document()->URL().contains(u"startPage=1"_s));

    // The old snapshot's element no longer belongs to the page shown: clicking it does nothing.
    next.click();
    pump.sleepFor(Millis(500));
    EXPECT_FALSE(browser.busy());
    EXPECT_TRUE(browser.document()->URL().contains(u"startPage=1"_s));

    browser.navigate(demo.searchUrl(u"soil"_s, 0).toString());
    ASSERT_TRUE(
        pump.waitUntil([&] { return page->url().toString().contains(u"startPage=0"_s); }, Millis(20000)));
    ASSERT_TRUE(settle());
    browser.click(u"a"_s, 100000); // out of range: nothing happens
    pump.sleepFor(Millis(300));
    EXPECT_TRUE(browser.document()->URL().contains(u"startPage=0"_s));
    page.reset(); // pages go before their profile
    EXPECT_EQ(browser.document(), nullptr);
}

TEST(LiveBrowser, ClickAfterNoscriptAndTemplateLinksHitsTheRightElement) {
    PageServer server;
    server.page(u"/p1"_s, "<html><body><noscript><a href='/js-off'>js off</a></noscript>"
                          "<template><a href='/template'>t</a></template>"
                          "<div class='pager'><a href='/p0'>previous</a> <a href='/p2'>next</a></div>"
                          "</body></html>");
    server.page(u"/p2"_s, "<html><body>page two</body></html>");
    QWebEngineProfile profile;
    auto page = std::make_unique<QWebEnginePage>(&profile);
    EventPump pump;
    const Timing timing;
    LiveBrowser browser(page.get(), pump, timing);
    browser.navigate(server.url(u"/p1"_s));
    ASSERT_TRUE(
        pump.waitUntil([&] { return page->url().path() == u"/p1"_s && !browser.busy(); }, Millis(20000)));
    const auto doc = browser.document();
    ASSERT_TRUE(doc);
    const DomCollection links = doc->getElementsByTagName(u"a"_s);
    ASSERT_EQ(links.length(), 2) << "the page's own anchors only";
    ASSERT_EQ(links.item(1).innerText(), u"next"_s);
    links.item(1).click();
    EXPECT_TRUE(pump.waitUntil([&] { return page->url().path() == u"/p2"_s; }, Millis(20000)))
        << "went to " << page->url().toString().toStdString();
    EXPECT_FALSE(server.requested().contains(u"/js-off"_s));
    EXPECT_FALSE(server.requested().contains(u"/template"_s));
    page.reset();
}

} // namespace
