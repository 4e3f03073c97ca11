#include "DemoPlatformServer.h"
#include "articles/ArticleMetadataReader.h"
#include "dom/BrowserDocument.h"
#include "platform/AnsiCodec.h"
#include "platform/EventPump.h"
#include "search/ArticleListModel.h"
#include "search/Harvester.h"
#include "support/QtPrinters.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

struct Fetched {
    int status = 0;
    QByteArray contentType;
    qint64 contentLength = -1;
    QByteArray cacheControl;
    QByteArray body;
};

Fetched fetch(const QUrl& url) {
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(QNetworkRequest(url));
    EventPump pump;
    pump.waitUntil([reply] { return reply->isFinished(); }, Millis(10000));
    Fetched result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    result.contentLength = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    result.cacheControl = reply->rawHeader("Cache-Control");
    result.body = reply->readAll();
    reply->deleteLater();
    return result;
}

TEST(DemoPlatformServer, ServesPagesIconsAndPdfs) {
    DemoPlatformServer server;
    ASSERT_TRUE(server.start());
    const QUrl base = server.baseUrl();
    struct Case {
        const char* name;
        QString path;
        int status;
        QByteArray contentType;
        QByteArray bodyStart;
    };
    const Case cases[] = {
        {"home page with the search form", u"/"_s, 200, "text/html; charset=utf-8", "<!DOCTYPE html>"},
        {"result page", u"/action/doSearch?AllField=soil&startPage=1"_s, 200, "text/html; charset=utf-8",
         "<!DOCTYPE html>"},
        {"pager address", u"/page/2?query=soil"_s, 200, "text/html; charset=utf-8", "<!DOCTYPE html>"},
        {"article page", u"/doi/full/10.5555/demo.1"_s, 200, "text/html; charset=utf-8", "<!DOCTYPE html>"},
        {"PDF of an article", u"/doi/pdf/10.5555/demo.1"_s, 200, "application/pdf", "%PDF-1.4"},
        {"article without PDF", u"/doi/pdf/10.5555/demo.4"_s, 404, "text/html; charset=utf-8",
         "<!DOCTYPE html>"},
        {"open-access icon", u"/images/access_free.gif"_s, 200, "image/gif", "GIF89a"},
        {"PDF icon", u"/images/pdf-icon-large.png"_s, 200, "image/png", "\x89PNG"},
        {"unknown address", u"/nothing"_s, 404, "text/html; charset=utf-8", "<!DOCTYPE html>"},
        {"DOI resolver leads to the article page", u"/resolve/10.5555/DEMO.2"_s, 200,
         "text/html; charset=utf-8", "<!DOCTYPE html>"},
        {"DOI the resolver does not know", u"/resolve/10.5555/demo.999"_s, 404, "text/html; charset=utf-8",
         "<!DOCTYPE html>"},
    };
    for (const Case& c : cases) {
        const Fetched got = fetch(base.resolved(QUrl(c.path)));
        EXPECT_EQ(got.status, c.status) << c.name;
        EXPECT_EQ(got.contentType, c.contentType) << c.name;
        EXPECT_EQ(got.contentLength, got.body.size()) << c.name;
        EXPECT_TRUE(got.body.startsWith(c.bodyStart)) << c.name;
        // What the platform serves may go into the browser's disk cache; error pages may not.
        EXPECT_EQ(got.cacheControl, c.status == 200 ? QByteArray("no-cache") : QByteArray("no-store"))
            << c.name;
    }
}

TEST(DemoPlatformServer, ArticlePagesCarryTheStandardMetadata) {
    DemoPlatformServer server;
    ASSERT_TRUE(server.start());
    const AnsiCodec ansi;
    for (int n : {0, 3}) {
        const QUrl page = server.baseUrl().resolved(QUrl(DemoPlatformServer::articlePath(n)));
        const Fetched got = fetch(page);
        const ArticlePage read = ArticleMetadataReader::readPage(
            got.body, QString::fromLatin1(got.contentType), page.toString(), ansi);
        EXPECT_TRUE(read.hasCitationTitle) << n;
        EXPECT_EQ(read.article.title, DemoPlatformServer::articleTitle(n)) << n;
        EXPECT_EQ(read.article.authors, DemoPlatformServer::articleAuthors(n)) << n;
        EXPECT_EQ(read.article.year, DemoPlatformServer::articleYear(n)) << n;
        EXPECT_EQ(read.article.doi, DemoPlatformServer::articleDoi(n)) << n;
        // Without citation_pdf_url (article 4 offers no PDF) the platform's usual address is taken.
        EXPECT_EQ(read.pdfUrl, server.baseUrl().resolved(QUrl(DemoPlatformServer::pdfPath(n))).toString())
            << n;
    }
}

TEST(DemoPlatformServer, PdfIsWellFormedAndCarriesTheTitle) {
    const QByteArray pdf = DemoPlatformServer::pdfFile(u"Soil (Moisture) \\ Study"_s);
    EXPECT_TRUE(pdf.startsWith("%PDF-1.4\n"));
    EXPECT_TRUE(pdf.endsWith("%%EOF\n"));
    EXPECT_TRUE(pdf.contains("(Soil \\(Moisture\\) \\\\ Study) Tj"));
    // The cross-reference table points at every object.
    const qsizetype startxref = pdf.lastIndexOf("startxref\n");
    const qsizetype xref = pdf.mid(startxref + 10).split('\n').value(0).toLongLong();
    ASSERT_TRUE(pdf.mid(xref).startsWith("xref\n0 7\n"));
    const QList<QByteArray> lines = pdf.mid(xref).split('\n');
    for (int object = 1; object <= 6; ++object) {
        const qsizetype offset = lines.value(2 + object).left(10).toLongLong();
        EXPECT_TRUE(pdf.mid(offset).startsWith(QByteArray(QByteArray::number(object) + " 0 obj"))) << object;
        EXPECT_EQ(lines.value(2 + object).size(), 19) << "each entry is 20 bytes with its line end";
    }
}

TEST(DemoPlatformServer, ResultPagesHarvestAsExpected) {
    DemoPlatformServer server;
    ArticleListModel openAccess;
    ArticleListModel everything;
    for (int page = 0; page < server.pages(); ++page) {
        const auto doc =
            BrowserDocument::parse(server.resultPage(u"soil"_s, page),
                                   u"http://127.0.0.1:1/action/doSearch?startPage=%1"_s.arg(page));
        Harvester::harvest(*doc, true, QString(), openAccess);
        Harvester::harvest(*doc, false, QString(), everything);
    }
    EXPECT_EQ(openAccess.count(), 8);
    EXPECT_EQ(everything.count(), 12);
    EXPECT_EQ(openAccess.at(0).key, u"http://127.0.0.1:1/doi/pdf/10.5555/demo.1"_s);
    EXPECT_EQ(openAccess.at(0).title, DemoPlatformServer::articleTitle(0));
}

TEST(DemoPlatformServer, TakesAnotherPortWhenItsOwnIsTaken) {
    QTcpServer holder;
    // Whoever holds the preferred port (a test, another demo), the demo starts all the same.
    holder.listen(QHostAddress::LocalHost, DemoPlatformServer::kPreferredPort);
    DemoPlatformServer server;
    ASSERT_TRUE(server.startPreferring());
    EXPECT_NE(server.baseUrl().port(), int(DemoPlatformServer::kPreferredPort));
    EXPECT_EQ(fetch(server.homeUrl()).status, 200);
}

TEST(DemoPlatformServer, AddressesOfAnEarlierStartMoveToTheCurrentPort) {
    DemoPlatformServer server;
    ASSERT_TRUE(server.start());
    const QString now = u"http://127.0.0.1:"_s + QString::number(server.baseUrl().port());
    const quint16 oldPort = server.baseUrl().port() == 1 ? 2 : 1;
    const QString old = u"http://127.0.0.1:"_s + QString::number(oldPort);
    struct Case {
        const char* name;
        QString address;
        QString expected;
    };
    const Case cases[] = {
        {"PDF", old + u"/doi/pdf/10.5555/demo.7"_s, now + u"/doi/pdf/10.5555/demo.7"_s},
        {"article page", old + u"/doi/full/10.5555/demo.7"_s, now + u"/doi/full/10.5555/demo.7"_s},
        {"result page, query kept as written", old + u"/action/doSearch?AllField=soil%20water&startPage=2"_s,
         now + u"/action/doSearch?AllField=soil%20water&startPage=2"_s},
        {"pager page", old + u"/page/3?query=soil"_s, now + u"/page/3?query=soil"_s},
        {"already the current port", now + u"/doi/pdf/10.5555/demo.1"_s, now + u"/doi/pdf/10.5555/demo.1"_s},
        {"another loopback server's file", old + u"/files/a.pdf"_s, old + u"/files/a.pdf"_s},
        {"another host", u"http://10.0.0.1:8080/doi/pdf/10.5555/demo.1"_s,
         u"http://10.0.0.1:8080/doi/pdf/10.5555/demo.1"_s},
        {"https", u"https://127.0.0.1:8443/doi/pdf/10.5555/demo.1"_s,
         u"https://127.0.0.1:8443/doi/pdf/10.5555/demo.1"_s},
        {"no port", u"http://127.0.0.1/doi/pdf/10.5555/demo.1"_s,
         u"http://127.0.0.1/doi/pdf/10.5555/demo.1"_s},
        {"not an address", u"demo.pdf"_s, u"demo.pdf"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(server.rebased(c.address), c.expected) << c.name;

    DemoPlatformServer stopped;
    EXPECT_EQ(stopped.rebased(cases[0].address), cases[0].address)
        << "a demo that does not listen moves nothing";
}

} // namespace
