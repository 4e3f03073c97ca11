#include "analysis/ArticleConverter.h"
#include "fakes/FakeDownloadWindowHost.h"
#include "search/ArticleListModel.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

struct TitleCase {
    const char* name;
    QString title;
    QString expected;
};

TEST(ArticleConverter, TitleBecomesFileNameTable) {
    const TitleCase cases[] = {
        {"CR LF pair goes", u"A\r\nB"_s, u"AB"_s},
        {"single CR and LF go", u"A\rB\nC"_s, u"ABC"_s},
        {"NUL goes", u"A"_s + QChar(0) + u"B"_s, u"AB"_s},
        {"spaces around are trimmed", u"   Title  "_s, u"Title"_s},
        {"spaces left after a removed break are trimmed", u" \r\n Title \n "_s, u"Title"_s},
        {"inner spaces stay", u"A  B"_s, u"A  B"_s},
        {"forbidden characters are cleaned", u"What? A: study/review"_s, u"What A studyreview"_s},
        {"leading and trailing dots go", u"...Title..."_s, u"Title"_s},
        {"Chinese title stays", u"中文 标题"_s, u"中文 标题"_s},
    };
    for (const TitleCase& c : cases) {
        TestContext t;
        ArticleListModel articles;
        FakeDownloadWindowHost host(t.context());
        ArticleConverter converter(t.context(), articles, host);
        articles.addArticle(c.title, u"http://x/pdf/1"_s, u"http://x/page"_s, u"pdf"_s, u"/f/"_s, u"o"_s);
        converter.convertArticleToDownload(0);
        ASSERT_NE(host.session(), nullptr);
        ASSERT_EQ(host.session()->list().count(), 1) << c.name;
        EXPECT_EQ(host.session()->list().at(0).name, c.expected) << c.name;
    }
}

TEST(ArticleConverter, StripLineBreaksKeepsOtherWhiteSpace) {
    EXPECT_EQ(ArticleConverter::stripLineBreaks(u"\tA\r\n"_s), u"\tA"_s);
    EXPECT_EQ(ArticleConverter::stripLineBreaks(u"\r\r\n\n"_s), QString());
}

class ConverterTest : public ::testing::Test {
protected:
    TestContext t;
    ArticleListModel articles;
    FakeDownloadWindowHost host{t.context()};
    ArticleConverter converter{t.context(), articles, host};
};

TEST_F(ConverterTest, RowCarriesLinkFolderTypeAndWaitingState) {
    t.state.currentSaveFolder = u"/current/"_s;
    articles.addArticle(u"One"_s, u"http://x/pdf/1"_s, u"http://x/results?page=2"_s, u"pdf"_s, QString(),
                        u"o"_s);
    articles.addArticle(u"Two"_s, u"http://x/pdf/2"_s, u"http://x/results?page=2"_s, u"PDF"_s, u"/chosen/"_s,
                        u"o"_s);
    articles.setStatus(0, ArticleListModel::kStatusAnalysing);
    EXPECT_EQ(host.loads, 0);
    converter.convertArticleToDownload(0);
    converter.convertArticleToDownload(1);
    EXPECT_EQ(host.loads, 1);
    EXPECT_EQ(host.reveals, 0) << "conversion never shows the window";

    const DownloadListModel& list = host.session()->list();
    ASSERT_EQ(list.count(), 2);
    const DownloadRow& a = list.at(0);
    EXPECT_EQ(a.key, u"http://x/pdf/1"_s);
    EXPECT_EQ(a.tag, a.key) << "the tag is the link, not the result page";
    EXPECT_EQ(a.folder, u"/current/"_s) << "an empty article folder takes the current save folder";
    EXPECT_EQ(a.type, u"pdf"_s);
    EXPECT_EQ(a.state, RowState::Waiting);
    EXPECT_TRUE(a.size.isEmpty() && a.received.isEmpty() && a.percent.isEmpty() && a.b.isEmpty());
    EXPECT_EQ(list.at(1).folder, u"/chosen/"_s) << "a harvested folder wins over the current one";
    EXPECT_EQ(list.at(1).type, u"PDF"_s);
    EXPECT_EQ(articles.at(0).status, ArticleListModel::kStatusDone);
    EXPECT_EQ(articles.at(1).status, ArticleListModel::kStatusDone);
}

TEST_F(ConverterTest, ArticleReadFromItsPageKeepsItsMetadataAndIsFetchedFromThere) {
    ArticleMetadata article{u"T"_s, {u"Li, Na"_s}, u"2020"_s, u"J"_s, u"10.1/x"_s, u"http://x/article/1"_s};
    articles.addArticle(u"T"_s, u"http://x/pdf/1"_s, u"http://x/article/1"_s, u"pdf"_s, u"/a/"_s, u"o"_s,
                        article);
    converter.convertArticleToDownload(0);
    const DownloadRow& row = host.session()->list().at(0);
    EXPECT_EQ(row.tag, u"http://x/article/1"_s) << "its page is the Referer the platform expects";
    EXPECT_EQ(row.article, article);
}

TEST_F(ConverterTest, AlreadyListedLinkLeavesTheDownloadRowAndStillMarksSuccess) {
    articles.addArticle(u"First"_s, u"http://x/pdf/1"_s, QString(), u"pdf"_s, u"/a/"_s, u"o"_s);
    converter.convertArticleToDownload(0);
    DownloadListModel& list = host.session()->list();
    list.setState(0, RowState::Finished);
    list.setPercent(0, u"100%"_s);
    articles.setStatus(0, ArticleListModel::kStatusFailed);
    t.state.currentSaveFolder = u"/other/"_s;

    converter.convertArticleToDownload(0);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0).state, RowState::Finished);
    EXPECT_EQ(list.at(0).percent, u"100%"_s);
    EXPECT_EQ(list.at(0).folder, u"/a/"_s);
    EXPECT_EQ(articles.at(0).status, ArticleListModel::kStatusDone);
}

TEST_F(ConverterTest, RowOutsideTheListIsIgnored) {
    converter.convertArticleToDownload(0);
    converter.convertArticleToDownload(-1);
    EXPECT_EQ(host.loads, 0);
}

} // namespace
