#include "search/SearchController.h"
#include "DemoPlatformServer.h"
#include "dom/BrowserDocument.h"
#include "fakes/FakeBrowser.h"
#include "search/ArticleListModel.h"
#include "support/ArticleSite.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

QString resultUrl(int startPage) {
    return u"http://demo.test/action/doSearch?AllField=soil&startPage=%1&pageSize=5"_s.arg(startPage);
}

// The demo platform's three result pages (3, 2 and 3 open-access entries with a PDF), shown
// headless at the addresses their own "next" links lead to.
struct Harness {
    explicit Harness(int pages = 3) {
        demo.setLayout(pages, 5);
        for (int page = 0; page < pages; ++page)
            browser.addPage(resultUrl(page), demo.resultPage(u"soil"_s, page));
        browser.show(resultUrl(0));
        t.state.promptSaveFolderOnHarvest = 0;
        QObject::connect(&list, &ArticleListModel::countRefreshed, &list, [this](int n) { counts << n; });
    }

    TestContext t;
    AppContext context = t.context();
    DemoPlatformServer demo;
    FakeBrowser browser;
    ArticleListModel list;
    SearchController controller{context, browser, list};
    QList<int> counts;
};

TEST(SearchController, StartPageFromAddress) {
    const std::pair<QString, int> cases[] = {
        {u"http://x/s?a=1&startPage=3&pageSize=5"_s, 3},
        {u"http://x/s?STARTPAGE=4"_s, 4},
        {u"http://x/s?q=1"_s, 0},
        {u"http://x/s?startPage="_s, 0},
        {u"http://x/s?startPage=&b=2"_s, 0},
        {u"http://x/s?startPage=abc"_s, 0},
        {u"http://x/s?startPage=2.7&x"_s, 2},
        {u"http://x/s?startPage=12#top"_s, 0},
        {u"http://x/s?startPage=99999999999"_s, INT_MAX},
    };
    for (const auto& [url, expected] : cases)
        EXPECT_EQ(SearchController::startPageFromUrl(url), expected) << url.toStdString();
}

TEST(SearchController, CurrentPageNumberFromThePagerLink) {
    struct Case {
        const char* name;
        QString links;
        int expected;
    };
    const Case cases[] = {
        {"pager link", u"<a class=\"next\" title=\"next\" href=\"/page/3?query=x\">»</a>"_s, 2},
        {"title case and blanks ignored",
         u"<a class=\"next\" title=\" NEXT \" href=\"/PAGE/5?query=x\">»</a>"_s, 4},
        {"class compared exactly", u"<a class=\"Next\" title=\"next\" href=\"/page/3?query=x\">»</a>"_s, 0},
        {"no query part", u"<a class=\"next\" title=\"next\" href=\"/page/3\">»</a>"_s, 0},
        {"page not numeric", u"<a class=\"next\" title=\"next\" href=\"/page/x?query=x\">»</a>"_s, 0},
        {"first usable link wins",
         u"<a class=\"next\" title=\"next\" href=\"/other\">»</a><a class=\"next\" title=\"next\" "
         "href=\"/page/7?query=x\">»</a><a class=\"next\" title=\"next\" href=\"/page/9?query=x\">»</a>"_s,
         6},
        {"no pager link", u"<a href=\"/page/3?query=x\">next</a>"_s, 0},
    };
    for (const Case& c : cases) {
        const auto doc = BrowserDocument::parse(c.links, u"http://demo.test/s"_s);
        EXPECT_EQ(SearchController::currentPageNumberOf(*doc), c.expected) << c.name;
    }
}

TEST(SearchController, AddAllRuns) {
    struct Case {
        const char* name;
        int pages;
        bool limitOn;
        QString limit;
        QString stalling; // a page that never finishes loading
        int rows;
        int navigations;
        QStringList messages;
    };
    const Case cases[] = {
        {"every page, limit off", 3, false, u"1"_s, {}, 8, 2, {}},
        {"limit large enough", 3, true, u"100"_s, {}, 8, 2, {}},
        {"limit 1 turns once", 3, true, u"1"_s, {}, 5, 1, {}},
        {"limit 2 stops on the second page", 3, true, u"2"_s, {}, 5, 1, {}},
        {"limit 3 reaches the last page", 3, true, u" 3 "_s, {}, 8, 2, {}},
        {"limit 0 still turns once", 3, true, u"0"_s, {}, 5, 1, {}},
        {"single page without next link", 1, true, u"100"_s, {}, 3, 0, {}},
        {"page that never loads", 3, false, u"100"_s, resultUrl(1), 3, 1, {}},
        {"limit must be numeric", 3, true, u"ten"_s, {}, 0, 0, {SearchController::kLimitNotNumeric}},
        {"numeric even with the limit off", 3, false, u""_s, {}, 0, 0, {SearchController::kLimitNotNumeric}},
    };
    for (const Case& c : cases) {
        Harness h(c.pages);
        if (!c.stalling.isEmpty())
            h.browser.setStalling(c.stalling);
        h.controller.setPageLimitEnabled(c.limitOn);
        h.controller.setPageLimitText(c.limit);
        h.controller.addAllPages();
        EXPECT_EQ(h.list.count(), c.rows) << c.name;
        EXPECT_EQ(h.browser.navigations().size(), c.navigations) << c.name;
        EXPECT_EQ(h.t.prompts.messages(), c.messages) << c.name;
        EXPECT_EQ(h.controller.addAllCaption(), SearchController::kCaptionAddAll) << c.name;
        EXPECT_TRUE(h.controller.addAllStopped()) << c.name;
        EXPECT_TRUE(h.controller.pageLimitEditable()) << c.name;
        EXPECT_FALSE(h.controller.addAllHighlighted()) << c.name;
    }
}

TEST(SearchController, EveryPageIsHarvestedTwiceAndTheCounterStepsPageByPage) {
    Harness h;
    h.controller.setPageLimitEnabled(false);
    QStringList progress;
    QObject::connect(&h.controller, &SearchController::progressChanged, &h.controller,
                     [&](const QString& text) {
                         if (progress.isEmpty() || progress.back() != text)
                             progress << text;
                     });
    h.controller.addAllPages();
    EXPECT_EQ(h.counts, (QList<int>{3, 5, 5, 8, 8, 8}));
    EXPECT_EQ(progress, (QStringList{u"正在加入第1页…（已加入0条）"_s, u"正在加入第1页…（已加入3条）"_s,
                                     u"正在加入第2页…（已加入3条）"_s, u"正在加入第2页…（已加入5条）"_s,
                                     u"正在加入第3页…（已加入5条）"_s, u"正在加入第3页…（已加入8条）"_s,
                                     u"加入全部结束，本次加入8条"_s}));
    QStringList titles;
    for (int i = 0; i < h.list.count(); ++i)
        titles << h.list.at(i).title;
    EXPECT_EQ(titles.first(), DemoPlatformServer::articleTitle(0));
    EXPECT_EQ(h.list.at(7).key, u"http://demo.test/doi/pdf/10.5555/demo.14"_s);
    EXPECT_EQ(h.list.at(7).tag, resultUrl(2));
}

TEST(SearchController, ControlsShowTheRunWhileItLasts) {
    Harness h;
    h.controller.setPageLimitEnabled(false);
    QStringList seen;
    QObject::connect(&h.list, &ArticleListModel::countRefreshed, &h.list, [&] {
        seen << h.controller.addAllCaption() + (h.controller.addAllHighlighted() ? u" red"_s : u""_s) +
                    (h.controller.pageLimitEditable() ? u" editable"_s : u""_s) +
                    (h.controller.addAllStopped() ? u" stopped"_s : u""_s);
    });
    h.controller.addAllPages();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first(), SearchController::kCaptionStop + u" red"_s);
}

TEST(SearchController, StopDuringThePauseHarvestsThePageShownAndEnds) {
    Harness h;
    h.controller.setPageLimitEnabled(false);
    // The second click on the button arrives once the second page is shown, i.e. while the run
    // pauses on it.
    QObject::connect(&h.browser, &FakeBrowser::pageShown, &h.browser, [&](const QString& url) {
        if (url == resultUrl(1))
            QTimer::singleShot(0, &h.browser, [&] { h.controller.addAllPages(); });
    });
    h.controller.addAllPages();
    EXPECT_EQ(h.browser.navigations(), QStringList{resultUrl(1)});
    EXPECT_EQ(h.list.count(), 5);
    EXPECT_EQ(h.list.at(4).tag, resultUrl(1));
    EXPECT_EQ(h.controller.addAllCaption(), SearchController::kCaptionAddAll);
    EXPECT_TRUE(h.controller.addAllStopped());
}

TEST(SearchController, SaveFolderOfHarvestedRows) {
    struct Case {
        const char* name;
        int promptSetting;
        bool allPages;
        int promptsShown;
        QString folder;
    };
    const Case cases[] = {
        {"add page, asking", 1, false, 1, u"/chosen/"_s},
        {"add page, not asking", 0, false, 0, QString()},
        {"add all, asked once per run", 1, true, 1, u"/chosen/"_s},
        {"add all, not asking", 0, true, 0, QString()},
    };
    for (const Case& c : cases) {
        Harness h;
        h.t.state.promptSaveFolderOnHarvest = c.promptSetting;
        h.controller.setPageLimitEnabled(false);
        int shown = 0;
        h.controller.setSaveFolderPrompt([&] {
            ++shown;
            h.t.state.currentSaveFolder = u"/chosen/"_s;
        });
        if (c.allPages)
            h.controller.addAllPages();
        else
            h.controller.addCurrentPage();
        EXPECT_EQ(shown, c.promptsShown) << c.name;
        ASSERT_GT(h.list.count(), 0) << c.name;
        for (int i = 0; i < h.list.count(); ++i)
            EXPECT_EQ(h.list.at(i).saveFolder, c.folder) << c.name;
    }
}

TEST(SearchController, WithoutADialogTheSaveFolderComesFromTheSettings) {
    Harness h;
    h.t.state.promptSaveFolderOnHarvest = 1;
    h.t.settings.write(u"设置"_s, u"下载文件保存路径"_s, u"/from/settings/"_s);
    h.controller.addCurrentPage();
    ASSERT_EQ(h.list.count(), 3);
    EXPECT_EQ(h.list.at(0).saveFolder, u"/from/settings/"_s);
}

// "加入本页到列表" on any platform's article page: the page's own article, when it names itself
// and its PDF.
TEST(SearchController, AddPageTakesTheArticleOfAnArticlePage) {
    struct Case {
        const char* name;
        QString html;
        bool added;
    };
    const Case cases[] = {
        {"article page",
         QString::fromUtf8(articlePageHtml(u"Heat &amp; Health"_s, u"/pdf/1"_s, {u"Novak, Petr"_s}, u"2019"_s,
                                           u"10.5555/x"_s)),
         true},
        {"article page without a PDF", QString::fromUtf8(articlePageHtml(u"No PDF"_s, QString())), false},
        {"page with a PDF link but no citation title",
         u"<html><head><title>Files</title></head><body><a href=\"/a.pdf\">a</a></body></html>"_s, false},
    };
    for (const Case& c : cases) {
        Harness h(1);
        const QString page = u"http://pub.test/article/x"_s;
        h.browser.addPage(page, c.html);
        h.browser.show(page);
        h.controller.addCurrentPage();
        ASSERT_EQ(h.list.count(), c.added ? 1 : 0) << c.name;
        if (!c.added)
            continue;
        const ArticleRow& row = h.list.at(0);
        EXPECT_EQ(row.title, u"Heat & Health"_s);
        EXPECT_EQ(row.key, u"http://pub.test/pdf/1"_s);
        EXPECT_EQ(row.tag, page);
        EXPECT_EQ(row.origin, SearchController::kOriginArticlePage);
        EXPECT_EQ(row.article.authors, QStringList{u"Novak, Petr"_s});
        EXPECT_EQ(row.article.doi, u"10.5555/x"_s);
        EXPECT_EQ(h.counts, QList<int>{1});
    }
}

TEST(SearchController, OpenAccessOptionIsReadAtHarvestTime) {
    Harness h;
    h.controller.setOpenAccessOnly(false);
    EXPECT_EQ(h.controller.harvestCurrentPage(QString()), 4);
    h.controller.setOpenAccessOnly(true);
    EXPECT_EQ(h.controller.harvestCurrentPage(QString()), 3);
    EXPECT_EQ(h.list.count(), 4);
}

} // namespace
