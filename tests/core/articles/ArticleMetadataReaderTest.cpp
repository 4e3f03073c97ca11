#include "articles/ArticleMetadataReader.h"
#include "dom/BrowserDocument.h"
#include "platform/AnsiCodec.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

ArticlePage readHtml(const QString& head, const QString& url, const QString& body = {}) {
    return ArticleMetadataReader::read(*BrowserDocument::parse(
        u"<html><head>"_s + head + u"</head><body>"_s + body + u"</body></html>"_s, url));
}

// Pages as platforms write them, each with what a reader must take from it.
TEST(ArticleMetadataReader, ReadsWhatPlatformsWrite) {
    struct Case {
        const char* name;
        QString url;
        QString head;
        QString body;
        ArticleMetadata expected; // articlePage: the page's address when left empty
        QString pdfUrl;
    };
    const QString fullPage = u"https://pub.example/doi/full/10.1000/a1"_s;
    const Case cases[] = {
        {"citation elements in any order and letter case, relative PDF address",
         fullPage,
         u"<META NAME=\"Citation_PDF_URL\" CONTENT=\"/content/a1.pdf\">"
         "<meta content=\"Soil Moisture in   Grasslands\" name=\"citation_title\">"
         "<meta name=\"citation_author\" content=\"Zhang, Wei\">"
         "<meta name=\"CITATION_AUTHOR\" content=\"Maria  Garcia\">"
         "<meta name=\"citation_author\" content=\"Smith, J.\">"
         "<meta name=\"citation_publication_date\" content=\"2019/03/05\">"
         "<meta name=\"citation_journal_title\" content=\"Journal of Soils\">"
         "<meta name=\"citation_doi\" content=\"doi:10.1000/A1\">"_s,
         {},
         {u"Soil Moisture in Grasslands"_s,
          {u"Zhang, Wei"_s, u"Maria Garcia"_s, u"Smith, J."_s},
          u"2019"_s,
          u"Journal of Soils"_s,
          u"10.1000/A1"_s,
          {}},
         u"https://pub.example/content/a1.pdf"_s},
        {"entities, encoded twice, and markup in the title",
         u"http://h/article/7"_s,
         u"<meta name=\"citation_title\" content=\"The &lt;i&gt;E.&#160;coli&lt;/i&gt; genome &amp;amp; "
         "caf&amp;eacute;\">"
         "<meta name=\"citation_date\" content=\"2019-03-05\">"
         "<meta name=\"citation_pdf_url\" content=\"http://h/pdf/7\">"_s,
         {},
         {u"The E. coli genome & café"_s, {}, u"2019"_s, {}, {}, {}},
         u"http://h/pdf/7"_s},
        {"Dublin Core, and the page's own /full/ address turned into /pdf/",
         u"http://h/doi/full/10.1000/dc"_s,
         u"<meta name=\"DC.title\" content=\"A Dublin Core Article\">"
         "<meta name=\"DC.creator\" content=\"Li, Na\"><meta name=\"dc.creator\" content=\"Ola Berg\">"
         "<meta name=\"DC.date\" content=\"2018\">"
         "<meta name=\"DC.identifier\" content=\"urn:isbn:123\">"
         "<meta name=\"DC.identifier\" content=\"info:doi/10.1000/dc\">"_s,
         {},
         {u"A Dublin Core Article"_s, {u"Li, Na"_s, u"Ola Berg"_s}, u"2018"_s, {}, u"10.1000/dc"_s, {}},
         u"http://h/doi/pdf/10.1000/dc"_s},
        {"Open Graph title as a property, /abs/ address",
         u"http://h/abs/2101.00001v2"_s,
         u"<meta property=\"og:title\" content=\"An Open Graph Title\"><title>Site | Title</title>"_s,
         {},
         {u"An Open Graph Title"_s, {}, {}, {}, {}, {}},
         u"http://h/pdf/2101.00001v2"_s},
        {"page title as the last resort, first link to a PDF",
         u"http://h/article?id=5"_s,
         u"<title>\n  Plain   Page Title\n</title>"_s,
         u"<a href=\"/files/suppl.zip\">data</a><a href=\"download?id=5\" type=\"Application/PDF\">PDF</a>"
         "<a href=\"/files/paper.pdf\">again</a>"_s,
         {u"Plain Page Title"_s, {}, {}, {}, {}, {}},
         u"http://h/download?id=5"_s},
        {"a link's path ending in .pdf; a script address is no PDF",
         u"http://h/view/9"_s,
         u"<meta name=\"citation_title\" content=\"T\"><meta name=\"citation_pdf_url\" "
         "content=\"javascript:void(0)\">"_s,
         u"<a href=\"/get/Paper.PDF?token=1\">PDF</a>"_s,
         {u"T"_s, {}, {}, {}, {}, {}},
         u"http://h/get/Paper.PDF?token=1"_s},
        {"a page without any PDF address",
         u"http://h/view/10"_s,
         u"<meta name=\"citation_title\" content=\"No PDF Here\">"
         "<meta name=\"citation_authors\" content=\"Wu, A; Chen, B\">"_s,
         u"<a href=\"/view/11\">next</a>"_s,
         {u"No PDF Here"_s, {u"Wu, A"_s, u"Chen, B"_s}, {}, {}, {}, {}},
         {}},
    };
    for (const Case& c : cases) {
        const ArticlePage page = readHtml(c.head, c.url, c.body);
        ArticleMetadata expected = c.expected;
        expected.articlePage = c.url;
        EXPECT_EQ(page.article.title, expected.title) << c.name;
        EXPECT_EQ(page.article.authors, expected.authors) << c.name;
        EXPECT_EQ(page.article.year, expected.year) << c.name;
        EXPECT_EQ(page.article.journal, expected.journal) << c.name;
        EXPECT_EQ(page.article.doi, expected.doi) << c.name;
        EXPECT_EQ(page.article.articlePage, expected.articlePage) << c.name;
        EXPECT_EQ(page.pdfUrl, c.pdfUrl) << c.name;
    }
}

TEST(ArticleMetadataReader, YearsOfDates) {
    const std::pair<QString, QString> cases[] = {
        {u"2019/03/05"_s, u"2019"_s}, {u"2019-03-05"_s, u"2019"_s}, {u"2019"_s, u"2019"_s},
        {u"05.03.2019"_s, u"2019"_s}, {u"20190305"_s, u"2019"_s},   {u"March 5, 1998"_s, u"1998"_s},
        {u"12345"_s, QString()},      {u"vol. 3019"_s, QString()},  {QString(), QString()},
    };
    for (const auto& [date, year] : cases)
        EXPECT_EQ(ArticleMetadataReader::yearOf(date), year) << date.toStdString();
}

TEST(ArticleMetadataReader, RefreshTargetAndCitationTitleMark) {
    const ArticlePage landing = readHtml(u"<meta http-equiv=\"Refresh\" content=\"0; URL='/retrieve/5'\">"_s,
                                         u"https://link.example/landing"_s);
    EXPECT_EQ(landing.refreshUrl, u"https://link.example/retrieve/5"_s);
    EXPECT_FALSE(landing.hasCitationTitle);
    EXPECT_TRUE(readHtml(u"<meta name=\"citation_title\" content=\"x\">"_s, u"http://h/"_s).hasCitationTitle);
}

TEST(ArticleMetadataReader, PagesDecodeByTheirAnnouncedCharset) {
    const AnsiCodec gbk(u"GBK"_s);
    const QByteArray gbkTitle = gbk.encode(u"土壤水分"_s);
    struct Case {
        const char* name;
        QByteArray bytes;
        QString contentType;
    };
    const Case cases[] = {
        {"charset of the answer", "<meta name=citation_title content=\"" + gbkTitle + "\">",
         u"text/html; charset=GBK"_s},
        {"charset of the page",
         "<meta charset=\"gb2312\"><meta name=citation_title content=\"" + gbkTitle + "\">", u"text/html"_s},
        {"UTF-8 without a word about it", "<meta name=citation_title content=\"土壤水分\">", u"text/html"_s},
        {"neither: the ANSI code page", "<meta name=citation_title content=\"" + gbkTitle + "\">", QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArticleMetadataReader::readPage(c.bytes, c.contentType, u"http://h/"_s, gbk).article.title,
                  u"土壤水分"_s)
            << c.name;
}

} // namespace
