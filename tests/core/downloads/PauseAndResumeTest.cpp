// Both transfer methods against servers that ask for a pause (429, 503) and bodies that break off
// mid-way: the row's status, what is kept in the folder, and what the next attempt asks for.

#include "downloads/DownloadListOps.h"
#include "downloads/DownloadSession.h"
#include "downloads/Method1Transfer.h"
#include "downloads/Method2Slots.h"
#include "downloads/Naming.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "support/TransferFixture.h"
#include "transfer/KeptParts.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray bytes(int size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray b(size, Qt::Uninitialized);
    for (char& c : b)
        c = char(random.bounded(256));
    return "%PDF-1.4\n" + b + "\n%%EOF\n";
}

const QByteArray kBody = bytes(20000, 7);
const QByteArray kChanged = bytes(25000, 8);
const QByteArray kEtag = "\"5f3b-4e29\"";
const QByteArray kLastModified = "Wed, 21 Oct 2015 07:28:00 GMT";

FaultServer::Reply withHeaders(FaultServer::Reply r, const QList<QPair<QByteArray, QByteArray>>& headers) {
    r.headers += headers;
    return r;
}

// A static file as nginx serves it: byte ranges, an ETag and a date.
FaultServer::Reply staticFile(const QByteArray& body = kBody, const QByteArray& etag = kEtag) {
    FaultServer::Reply r =
        withHeaders(FaultServer::ok(body),
                    {{"Accept-Ranges", "bytes"}, {"ETag", etag}, {"Last-Modified", kLastModified}});
    r.ranges = true;
    return r;
}

FaultServer::Reply cut(FaultServer::Reply r, qint64 after = 8000) {
    r.closeAfter = after;
    return r;
}

FaultServer::Reply pauseAnswer(int status, const QByteArray& retryAfter = {}) {
    FaultServer::Reply r = FaultServer::ok("<html><body>slow down</body></html>", "text/html; charset=utf-8");
    r.status = status;
    r.reason = status == 429 ? "Too Many Requests" : "Service Unavailable";
    if (!retryAfter.isEmpty())
        r.headers.append({"Retry-After", retryAfter});
    return r;
}

// One row downloaded again and again with the method under test (1 or 2), requeued between the
// attempts the way the automatic re-download does it (parts kept for resuming stay).
class PauseAndResume : public TransferFixture, public ::testing::WithParamInterface<int> {
public:
    void SetUp() override {
        TransferFixture::SetUp();
        t.timing.headerWait = 5000ms;
        t.timing.stallLimit = 300ms;
        t.timing.watchdogLimit = 300ms;
        QDir().mkpath(folder);
        QObject::connect(&session, &DownloadSession::rowEnded, &session,
                         [this](const RowOutcome& o) { outcomes << o; });
    }

    int add(const QString& path) {
        session.list().addRow(server.url(path), u"paper"_s, u"pdf"_s, folder, {});
        return session.list().count() - 1;
    }

    // Starts the row as the scheduler would; `during` runs once bytes are arriving.
    void attempt(int row, const std::function<void()>& during = {}) {
        const qsizetype before = outcomes.size();
        if (row >= 0 && session.list().at(row).state != RowState::Waiting)
            DownloadListOps(session).requeueRow(row, false, DownloadListOps::Partial::Keep);
        const QString url = DownloadListModel::currentUrl(session.list().at(row).key);
        if (GetParam() == 1) {
            session.list().setState(row, RowState::Downloading);
            session.list().clearProgress(row);
            method1.downloadCurrentRow(row);
        } else {
            const DownloadRow& r = session.list().at(row);
            const Naming::TargetChoice target =
                Naming::chooseTarget(r.folder, r.name, r.type, session.options().policy);
            method2.startDownload(1, row, url, target.path);
        }
        if (during) {
            ASSERT_TRUE(
                t.pump.waitUntil([&] { return session.list().at(row).received.toLongLong() > 0; }, 5000ms));
            during();
        }
        ASSERT_TRUE(t.pump.waitUntil([&] { return outcomes.size() > before; }, 10000ms))
            << "the row never ended";
    }

    // "停止下载" of the row that runs (the scheduler marks a stopped slot's row and reports it).
    void stop(int row) {
        if (GetParam() == 1) {
            method1.cancel();
            return;
        }
        method2.unloadAll();
        session.list().setState(row, RowState::Failed);
        RowOutcome o;
        o.row = row;
        session.reportRowEnded(o);
    }

    QStringList files() const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    // The names of a kept part of `path` (its bytes and its information).
    QStringList kept(const QString& path) const {
        QStringList names{QFileInfo(KeptParts::dataPath(folder, server.url(path))).fileName(),
                          QFileInfo(KeptParts::infoPath(folder, server.url(path))).fileName()};
        names.sort();
        return names;
    }
    QByteArray requestHeader(const QString& path, int n, const QByteArray& name) const {
        int seen = 0;
        for (const FaultServer::Request& r : server.requests()) {
            if (QString::fromLatin1(r.path()) == path && seen++ == n)
                return r.header(name);
        }
        return "(no request)";
    }

    Method1Transfer method1{session, network};
    Method2Slots method2{session, network};
    QList<RowOutcome> outcomes;
};

TEST_P(PauseAndResume, ServerAskingForAPauseFailsTheRow) {
    const QByteArray date =
        QDateTime::currentDateTimeUtc().addSecs(90).toString(u"ddd, dd MMM yyyy HH:mm:ss 'GMT'"_s).toLatin1();
    server.route(u"/moved"_s, FaultServer::redirect("/busy"));
    server.route(u"/busy"_s, pauseAnswer(429, "120"));
    struct Case {
        const char* name;
        QString path;
        FaultServer::Reply reply;
        int status;
        QString retryAfter;
        QString finalPath;
    } cases[] = {
        {"429 with seconds", u"/a"_s, pauseAnswer(429, "120"), 429, u"120"_s, u"/a"_s},
        {"503 without Retry-After", u"/b"_s, pauseAnswer(503), 503, QString(), u"/b"_s},
        {"503 with a date", u"/c"_s, pauseAnswer(503, date), 503, QString::fromLatin1(date), u"/c"_s},
        {"429 after a redirect", u"/moved"_s, {}, 429, u"120"_s, u"/busy"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.path != u"/moved"_s)
            server.route(c.path, c.reply);
        const int row = add(c.path);
        attempt(row);
        const DownloadRow& r = session.list().at(row);
        EXPECT_EQ(r.state, RowState::Failed);
        EXPECT_EQ(r.size, u"服务器要求暂停下载"_s);
        EXPECT_TRUE(files().isEmpty()) << "the server's page is not the file";
        const RowOutcome& o = outcomes.last();
        EXPECT_EQ(o.row, row);
        EXPECT_EQ(o.httpStatus, c.status);
        EXPECT_EQ(o.retryAfter, c.retryAfter);
        EXPECT_EQ(o.requestedUrl, server.url(c.path));
        EXPECT_EQ(o.finalUrl, server.url(c.finalPath));
    }
}

TEST_P(PauseAndResume, BrokenOffBodyIsContinuedByTheNextAttempt) {
    FaultServer::Reply staticNoRanges = FaultServer::ok(kBody);
    FaultServer::Reply lastModifiedOnly =
        withHeaders(FaultServer::ok(kBody), {{"Accept-Ranges", "bytes"}, {"Last-Modified", kLastModified}});
    lastModifiedOnly.ranges = true;
    FaultServer::Reply weakEtagOnly =
        withHeaders(FaultServer::ok(kBody), {{"Accept-Ranges", "bytes"}, {"ETag", "W/\"5f3b\""}});
    weakEtagOnly.ranges = true;
    FaultServer::Reply stall = staticFile();
    stall.stallAfter = 8000;
    FaultServer::Reply wrongRange = FaultServer::ok(kBody);
    wrongRange.raw =
        "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-20008/20009\r\nContent-Length: 19909\r\n"
        "ETag: " +
        kEtag + "\r\n\r\n" + kBody.mid(100);

    using S = RowState;
    struct Case {
        const char* name;
        QList<FaultServer::Reply> replies; // one per attempt
        QList<RowState> states;            // after each attempt
        bool keptAfterFirst;               // the first attempt left a kept part (and nothing under the name)
        QByteArray range;                  // the second request's Range and If-Range
        QByteArray ifRange;
        QByteArray content; // of paper.pdf after the last attempt
    } cases[] = {
        {"cut, then the rest",
         {cut(staticFile()), staticFile()},
         {S::Failed, S::Finished},
         true,
         "bytes=8000-",
         kEtag,
         kBody},
        {"stall, then the rest",
         {stall, staticFile()},
         {S::Failed, S::Finished},
         true,
         "bytes=8000-",
         kEtag,
         kBody},
        {"Last-Modified alone validates",
         {cut(lastModifiedOnly), lastModifiedOnly},
         {S::Failed, S::Finished},
         true,
         "bytes=8000-",
         kLastModified,
         kBody},
        {"no Accept-Ranges: nothing kept",
         {cut(staticNoRanges), staticNoRanges},
         {S::Failed, S::Finished},
         false,
         {},
         {},
         kBody},
        {"a weak ETag alone: nothing kept",
         {cut(weakEtagOnly), weakEtagOnly},
         {S::Failed, S::Finished},
         false,
         {},
         {},
         kBody},
        {"changed file: 200 starts from zero",
         {cut(staticFile()), staticFile(kChanged, "\"other\"")},
         {S::Failed, S::Finished},
         true,
         "bytes=8000-",
         kEtag,
         kChanged},
        {"a 206 that does not continue fails; the next attempt starts over",
         {cut(staticFile()), wrongRange, staticFile()},
         {S::Failed, S::Failed, S::Finished},
         true,
         "bytes=8000-",
         kEtag,
         kBody},
        {"a pause in between keeps the part",
         {cut(staticFile()), pauseAnswer(503, "1"), staticFile()},
         {S::Failed, S::Failed, S::Finished},
         true,
         "bytes=8000-",
         kEtag,
         kBody},
        {"cut again: what arrived is added to the part",
         {cut(staticFile()), cut(staticFile(), 5000), staticFile()},
         {S::Failed, S::Failed, S::Finished},
         true,
         "bytes=8000-",
         kEtag,
         kBody},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        const QString path = u"/r"_s + QString::number(n++);
        server.routeSequence(path, c.replies);
        const int row = add(path);
        for (qsizetype i = 0; i < c.states.size(); ++i) {
            attempt(row);
            EXPECT_EQ(session.list().at(row).state, c.states.at(i)) << "attempt " << i + 1;
            if (i == 0)
                EXPECT_EQ(files(), c.keptAfterFirst ? kept(path) : QStringList());
        }
        // Qt may send a request again once when the server closes the connection mid-body (the
        // answer to the repeat is dropped with the failed reply); never more.
        EXPECT_GE(server.requestCount(path), c.states.size());
        EXPECT_LE(server.requestCount(path), c.states.size() + 1);
        EXPECT_EQ(requestHeader(path, 1, "Range"), c.range);
        EXPECT_EQ(requestHeader(path, 1, "If-Range"), c.ifRange);
        const DownloadRow& r = session.list().at(row);
        const QString total = QString::number(c.content.size());
        EXPECT_EQ(r.size, total);
        EXPECT_EQ(r.received, total);
        EXPECT_EQ(r.percent, u"100%"_s);
        EXPECT_EQ(files(), QStringList{u"paper.pdf"_s});
        EXPECT_TRUE(contentOf(u"paper.pdf"_s) == c.content) << "the file differs from the server's";
    }
}

TEST_P(PauseAndResume, StopAndTheSizeLimitLeaveNothingToResume) {
    FaultServer::Reply slowRest = staticFile();
    slowRest.dripBytes = 500;
    slowRest.dripIntervalMs = 20;
    struct Case {
        const char* name;
        std::function<void(PauseAndResume&)> secondAttempt;
    } cases[] = {
        {"stopped while the rest arrives", [](PauseAndResume& f) { f.attempt(0, [&f] { f.stop(0); }); }},
        {"the whole file is over the size limit",
         [](PauseAndResume& f) {
             f.session.options().maxFileSizeMB = 0.01; // 10 KB: the whole file is 20 KB
             f.attempt(0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session.list().clear();
        session.options().maxFileSizeMB = 10;
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        server.routeSequence(u"/s"_s, {cut(staticFile()), slowRest});
        const int row = add(u"/s"_s);
        attempt(row);
        ASSERT_EQ(files(), kept(u"/s"_s));
        c.secondAttempt(*this);
        EXPECT_TRUE(files().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(BothMethods, PauseAndResume, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Method" + std::to_string(info.param);
                         });

} // namespace
