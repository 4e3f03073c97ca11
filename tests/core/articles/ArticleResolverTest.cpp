// The resolver against loopback servers that behave as journal platforms and DOI resolvers do:
// redirects, cookies, rests asked for, pages without PDFs, servers that are not there.

#include "articles/ArticleResolver.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadPacing.h"
#include "downloads/HostPauses.h"
#include "support/ArticleSite.h"
#include "support/QtPrinters.h"
#include "support/TransferFixture.h"

#include <gtest/gtest.h>
#include <optional>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Outcome = ResolvedArticle::Outcome;

const QString kSiciDoi = u"10.1002/(SICI)1097-4636(199706)35:4<467::AID-JBM7>3.0.CO;2-B"_s;

class ArticleResolverTest : public TransferFixture {
public:
    void SetUp() override {
        TransferFixture::SetUp();
        t.timing.pageLoadLimit = 5000ms;
        resolver.setResolverBase(server.url(u"/resolver/"_s));
        QObject::connect(&resolver, &ArticleResolver::resolved, &resolver,
                         [this](int index, const ResolvedArticle& r) {
                             if (size_t(index) < results.size())
                                 results[size_t(index)] = r;
                         });
    }

    // Resolves the lines and waits for the end; each result by its line.
    std::vector<ResolvedArticle> resolveAll(const QStringList& lines) {
        const ParsedInputs parsed = ArticleInputParser::parseAll(lines);
        EXPECT_TRUE(parsed.unrecognised.isEmpty()) << parsed.unrecognised.join(u' ').toStdString();
        results.assign(parsed.inputs.size(), std::nullopt);
        bool finished = false;
        const auto connection = QObject::connect(&resolver, &ArticleResolver::finished, &resolver,
                                                 [&finished] { finished = true; });
        resolver.resolve(parsed.inputs);
        EXPECT_TRUE(t.pump.waitUntil([&] { return finished; }, 20000ms)) << "the resolver never finished";
        QObject::disconnect(connection);
        std::vector<ResolvedArticle> all;
        for (const std::optional<ResolvedArticle>& r : results) {
            EXPECT_TRUE(r.has_value()) << "an input was not reported";
            all.push_back(r.value_or(ResolvedArticle{}));
        }
        return all;
    }

    DownloadEngine engine{session, network};
    DownloadPacing pacing{session, engine.scheduler()};
    ArticleResolver resolver{network, pacing, t.timing, t.codec};
    std::vector<std::optional<ResolvedArticle>> results;
};

TEST_F(ArticleResolverTest, InputsOfEveryKindEndAsArticlesFilesOrTheirReason) {
    // Two redirects from the resolver to the article page; the PDF address is relative.
    server.route(u"/resolver/10.1000/A1"_s, FaultServer::redirect("/go/a1"));
    server.route(u"/go/a1"_s, FaultServer::redirect(server.url(u"/doi/full/10.1000/a1"_s).toUtf8(), 301));
    server.route(u"/doi/full/10.1000/a1"_s,
                 articlePageReply(articlePageHtml(u"Soil & Water"_s, u"../../pdf/10.1000/a1"_s,
                                                  {u"Zhang, Wei"_s, u"Maria Garcia"_s}, u"2019-03-05"_s)));
    // The resolver is asked for the DOI in its encoded form, exactly.
    server.route(
        u"/resolver/10.1002/%28SICI%291097-4636%28199706%2935%3A4%3C467%3A%3AAID-JBM7%3E3.0.CO%3B2-B"_s,
        FaultServer::redirect("/article/sici"));
    server.route(u"/article/sici"_s, articlePageReply(articlePageHtml(u"Old Article"_s, u"/pdf/sici"_s)));
    server.route(u"/article/nopdf"_s, articlePageReply(articlePageHtml(u"Abstract Only"_s, QString())));
    // A platform that sets its session cookie on the first visit and sends the reader back.
    server.routeHandler(u"/cookie/page"_s, [this](const FaultServer::Request& request) {
        if (!request.header("Cookie").contains("session=abc")) {
            FaultServer::Reply r = FaultServer::redirect(server.url(u"/cookie/page"_s).toUtf8());
            r.headers.append(qMakePair(QByteArray("Set-Cookie"), QByteArray("session=abc; Path=/")));
            return r;
        }
        return articlePageReply(articlePageHtml(u"Behind a Cookie"_s, u"/pdf/cookie"_s));
    });
    server.route(u"/get/5"_s, FaultServer::ok("%PDF-1.4\nbody\n%%EOF\n"));
    // Busy once (the host rests a moment), then the page.
    FaultServer::Reply busy = FaultServer::ok("<html><body>busy</body></html>", "text/html");
    busy.status = 503;
    busy.reason = "Service Unavailable";
    busy.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("1")));
    server.routeSequence(u"/busy/page"_s,
                         {busy, articlePageReply(articlePageHtml(u"After a Rest"_s, u"/p.pdf"_s))});
    server.route(u"/loop"_s, FaultServer::redirect("/loop"));
    QStringList paused;
    QObject::connect(&engine.scheduler(), &Scheduler::hostPaused, &resolver,
                     [&paused](const QString& host) { paused << host; });

    struct Case {
        const char* name;
        QString input;
        Outcome outcome;
        QString failure;
        QString title;
        QString address; // path on the server, or a whole address
    };
    const Case cases[] = {
        {"DOI through two redirects",
         u"doi:10.1000/A1"_s,
         Outcome::Article,
         {},
         u"Soil & Water"_s,
         u"/doi/pdf/10.1000/a1"_s},
        {"DOI with ()<>;: in its suffix", kSiciDoi, Outcome::Article, {}, u"Old Article"_s, u"/pdf/sici"_s},
        {"DOI the resolver does not know",
         u"10.1000/unknown"_s,
         Outcome::Failed,
         ResolvedArticle::kUnknownDoi,
         {},
         u"/resolver/10.1000/unknown"_s},
        {"page without a PDF address", server.url(u"/article/nopdf"_s), Outcome::Failed,
         ResolvedArticle::kNoPdf, u"Abstract Only"_s, u"/article/nopdf"_s},
        {"cookie set by a redirect to the page itself",
         server.url(u"/cookie/page"_s),
         Outcome::Article,
         {},
         u"Behind a Cookie"_s,
         u"/pdf/cookie"_s},
        {"address whose answer is a file", server.url(u"/get/5"_s), Outcome::File, {}, {}, u"/get/5"_s},
        {"file address, taken without a request",
         server.url(u"/files/x.pdf"_s),
         Outcome::File,
         {},
         {},
         u"/files/x.pdf"_s},
        {"host that asked for a rest",
         server.url(u"/busy/page"_s),
         Outcome::Article,
         {},
         u"After a Rest"_s,
         u"/p.pdf"_s},
        {"redirects without end",
         server.url(u"/loop"_s),
         Outcome::Failed,
         ResolvedArticle::kNoAnswer,
         {},
         u"/loop"_s},
        {"nobody there",
         u"http://127.0.0.1:1/page"_s,
         Outcome::Failed,
         ResolvedArticle::kNoAnswer,
         {},
         u"http://127.0.0.1:1/page"_s},
    };
    QStringList inputs;
    for (const Case& c : cases)
        inputs << c.input;
    const std::vector<ResolvedArticle> resolved = resolveAll(inputs);
    ASSERT_EQ(resolved.size(), std::size(cases));
    for (size_t i = 0; i < resolved.size(); ++i) {
        const Case& c = cases[i];
        const ResolvedArticle& r = resolved[i];
        EXPECT_EQ(r.outcome, c.outcome) << c.name;
        EXPECT_EQ(r.failure, c.failure) << c.name;
        EXPECT_EQ(r.article.title, c.title) << c.name;
        EXPECT_EQ(r.address, c.address.startsWith(u"http"_s) ? c.address : server.url(c.address)) << c.name;
    }
    const ResolvedArticle& first = resolved[0];
    EXPECT_EQ(first.article.authors, (QStringList{u"Zhang, Wei"_s, u"Maria Garcia"_s}));
    EXPECT_EQ(first.article.year, u"2019"_s);
    EXPECT_EQ(first.article.journal, u"Journal of Tests"_s);
    EXPECT_EQ(first.article.doi, u"10.1000/A1"_s) << "the input's DOI where the page names none";
    EXPECT_EQ(first.article.articlePage, server.url(u"/doi/full/10.1000/a1"_s));
    EXPECT_EQ(resolved[5].fileType, u"pdf"_s);
    EXPECT_EQ(server.requestCount(u"/files/x.pdf"_s), 0);
    EXPECT_EQ(server.requestCount(u"/cookie/page"_s), 2);
    EXPECT_EQ(server.requestCount(u"/loop"_s), ArticleResolver::kMaxHops + 1);
    EXPECT_EQ(paused, QStringList{HostPauses::hostOf(server.origin())}) << "the downloads rest with it";
}

TEST_F(ArticleResolverTest, OneRequestPerHostAndArticlePagesKeepThePauseBetweenFiles) {
    // Pages that take a while to arrive, three on one host and one on another.
    FaultServer::Reply slow =
        articlePageReply(articlePageHtml(u"Slow"_s, u"/s.pdf"_s) + QByteArray(1600, ' '));
    slow.dripBytes = 400;
    slow.dripIntervalMs = 60;
    for (const QString& path : {u"/p1"_s, u"/p2"_s, u"/p3"_s})
        server.route(path, slow);
    FaultServer other;
    other.route(u"/q1"_s, articlePageReply(articlePageHtml(u"Quick"_s, u"/q.pdf"_s)));
    resolveAll({server.url(u"/p1"_s), server.url(u"/p2"_s), server.url(u"/p3"_s), other.url(u"/q1"_s)});
    const QList<FaultServer::Request>& asked = server.requests();
    ASSERT_EQ(asked.size(), 3);
    for (int i = 1; i < asked.size(); ++i)
        EXPECT_GE(asked[i].atMs - asked[i - 1].atMs, 200)
            << "request " << i << " went out before the last ended";
    ASSERT_EQ(other.requests().size(), 1);
    EXPECT_LT(other.requests()[0].atMs, asked[1].atMs) << "another host need not wait";

    // With a pause between files, the next article waits for it, whatever its host.
    server.route(u"/x"_s, articlePageReply(articlePageHtml(u"X"_s, u"/x.pdf"_s)));
    other.route(u"/y"_s, articlePageReply(articlePageHtml(u"Y"_s, u"/y.pdf"_s)));
    session.options().pauseSeconds = 30; // 300 ms at this tick
    const qint64 before = session.lastTransferEndMs;
    resolveAll({server.url(u"/x"_s), other.url(u"/y"_s)});
    EXPECT_GT(session.lastTransferEndMs, before) << "article pages count as transfers";
    ASSERT_EQ(other.requests().size(), 2);
    EXPECT_GE(other.requests()[1].atMs - server.requests().last().atMs, 300);
}

} // namespace
