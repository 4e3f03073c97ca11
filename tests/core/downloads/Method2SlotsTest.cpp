#include "downloads/Method2Slots.h"
#include "downloads/DownloadSession.h"
#include "downloads/Naming.h"
#include "downloads/RowFiles.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "support/TransferFixture.h"
#include "transfer/Downloader.h"
#include "transfer/NetworkLayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray kPdf = "%PDF-1.5\n" + QByteArray(5000, 'q') + "\n%%EOF";
// What a transfer that lost the file's end delivers.
const QByteArray kPdfWithoutEnd = "%PDF-1.5\n" + QByteArray(5000, 'q');
const QByteArray kPlaceholder("\x01\x00", 2);

// Method-2 method2 over real downloaders: 300 ms without progress is a stall.
class Method2Test : public TransferFixture {
public:
    void SetUp() override {
        TransferFixture::SetUp();
        t.timing.watchdogLimit = 300ms;
        QDir().mkpath(folder);
    }

    // Starts a row on `slot` the way the scheduler does, then waits until the slot is free.
    int start(int slot, const QString& url, const QString& name = u"paper"_s, bool wait = true,
              const QString& type = u"pdf"_s) {
        session.list().addRow(url, name, type, folder, QString());
        const int row = session.list().count() - 1;
        const Naming::TargetChoice target =
            Naming::chooseTarget(folder, name, type, session.options().policy);
        session.list().setName(row, target.name);
        method2.startDownload(slot, row, url, target.path);
        if (wait)
            finish();
        return row;
    }
    void finish() {
        t.pump.waitUntil([this] { return method2.busyCount() == 0; }, 10000ms);
    }
    QStringList files() const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    Method2Slots method2{session, network};
};

TEST_F(Method2Test, OutcomesOfOneRow) {
    const QString n = QString::number(kPdf.size());
    FaultServer::Reply noLength = FaultServer::ok(kPdf);
    noLength.contentLength = std::nullopt;
    FaultServer::Reply short999;
    short999.body = QByteArray(999, 'x');
    short999.contentLength = 1000;
    FaultServer::Reply stall = FaultServer::ok(kPdf);
    stall.stallAfter = 1000;
    FaultServer::Reply empty;
    empty.status = 500;
    empty.reason = "Internal Server Error";
    FaultServer::Reply huge = FaultServer::ok(kPdf);
    huge.contentLength = qint64(64) * 1024 * 1024;
    huge.stallAfter = 2000;
    FaultServer::Reply dripNoLength = noLength;
    dripNoLength.dripBytes = 500;
    dripNoLength.dripIntervalMs = 60; // 11 pieces: longer than the watchdog limit in all
    FaultServer::Reply notFound =
        FaultServer::ok("<html><head><title>404</title></head><body>no</body></html>", "text/html");
    notFound.status = 404;
    notFound.reason = "Not Found";
    server.route(u"/m2-target-no-length"_s, noLength);
    FaultServer::Reply redirectWithLength = FaultServer::redirect("/m2-target-no-length");
    redirectWithLength.body = QByteArray(50, 'r'); // "Content-Length: 50"

    struct Case {
        const char* name;
        FaultServer::Reply reply;
        RowState state;
        QString size, received, percent;
        QStringList files;
        QByteArray content; // of the first file
        int requests;
    } cases[] = {
        {"complete with length",
         FaultServer::ok(kPdf),
         RowState::Finished,
         n,
         n,
         u"100%"_s,
         {u"paper.pdf"_s},
         kPdf,
         1},
        {"no length: both sizes are the file length",
         noLength,
         RowState::Finished,
         n,
         n,
         u"100%"_s,
         {u"paper.pdf"_s},
         kPdf,
         1},
        {"999 of 1000 bytes fails at 99% and leaves nothing",
         short999,
         RowState::Failed,
         u"1000"_s,
         u"999"_s,
         u"99%"_s,
         {},
         QByteArray(),
         1},
        {"stall keeps the last progress, not the placeholder",
         stall,
         RowState::Failed,
         n,
         u"1000"_s,
         u"19%"_s,
         {},
         QByteArray(),
         1},
        {"nothing received: exactly one second fetch",
         empty,
         RowState::Failed,
         QString(),
         QString(),
         QString(),
         {},
         QByteArray(),
         2},
        {"announced size over the limit leaves no placeholder",
         huge,
         RowState::Finished,
         u"67108864"_s,
         QString(),
         u"大文件，跳过"_s,
         {},
         QByteArray(),
         1},
        {"a redirect's own length is not the file's",
         redirectWithLength,
         RowState::Finished,
         n,
         n,
         u"100%"_s,
         {u"paper.pdf"_s},
         kPdf,
         1},
        {"slow body without length is no stall",
         dripNoLength,
         RowState::Finished,
         n,
         n,
         u"100%"_s,
         {u"paper.pdf"_s},
         kPdf,
         1},
        {"PDF without its end marker is not finished and leaves nothing",
         FaultServer::ok(kPdfWithoutEnd),
         RowState::Failed,
         u"文件不完整"_s,
         QString::number(kPdfWithoutEnd.size()),
         u"100%"_s,
         {},
         QByteArray(),
         1},
        {"404 page is kept as a web page that shows its status",
         notFound,
         RowState::Finished,
         u"404 网页"_s,
         QString::number(notFound.body.size()),
         u"100%"_s,
         {u"paper.htm"_s},
         notFound.body,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        const QString path = u"/m2-"_s + QString::number(session.list().count());
        server.route(path, c.reply);
        const int row = start(1, server.url(path));
        const DownloadRow& r = session.list().at(row);
        EXPECT_EQ(r.state, c.state);
        EXPECT_EQ(r.size, c.size);
        if (!c.received.isNull()) {
            EXPECT_EQ(r.received, c.received);
        }
        EXPECT_EQ(r.percent, c.percent);
        EXPECT_EQ(files(), c.files);
        EXPECT_EQ(contentOf(c.files.value(0)), c.content);
        // A row that finished with a file owns it; any other row owns nothing.
        const bool wroteFile = r.state == RowState::Finished && r.percent == u"100%"_s;
        EXPECT_EQ(RowFiles::stillOwned(r.owned), wroteFile);
        if (wroteFile) {
            EXPECT_EQ(r.owned.path, session.list().filePath(row));
        }
        // Qt may resend a request once on a connection the server closed; never more.
        EXPECT_GE(server.requestCount(path), c.requests);
        EXPECT_LE(server.requestCount(path), c.requests + 1);
        EXPECT_EQ(method2.busyCount(), 0);
    }
}

TEST_F(Method2Test, EmptyAnswerIsFetchedExactlyOnceMore) {
    FaultServer fresh;
    FaultServer::Reply empty;
    empty.status = 500;
    empty.reason = "Internal Server Error";
    fresh.route(u"/e"_s, empty);
    const int row = start(1, fresh.url(u"/e"_s));
    EXPECT_EQ(session.list().at(row).state, RowState::Failed);
    EXPECT_EQ(fresh.requestCount(u"/e"_s), 2);
}

TEST_F(Method2Test, BytesThatCannotBeWrittenFailTheRow) {
    server.route(u"/a"_s, FaultServer::ok(kPdf));
    session.list().addRow(server.url(u"/a"_s), u"x"_s, u"pdf"_s, folder, QString());
    method2.startDownload(1, 0, server.url(u"/a"_s), folder + u"no-such-folder/x.pdf"_s);
    finish();
    EXPECT_EQ(session.list().at(0).state, RowState::Failed);
    EXPECT_FALSE(QDir(folder + u"no-such-folder"_s).exists());
}

TEST_F(Method2Test, OverwriteReplacesTheOldFileOnlyWithAWholeNewOne) {
    const QByteArray oldBytes(20000, 'o');
    FaultServer::Reply cut = FaultServer::ok(kPdf);
    cut.closeAfter = 1000;
    FaultServer::Reply slow = FaultServer::ok(kPdf);
    slow.dripBytes = 1000;
    slow.dripIntervalMs = 20;
    const struct {
        const char* name;
        FaultServer::Reply reply;
        RowState state;
        QByteArray after; // the file's content afterwards
        int requests;
    } cases[] = {
        {"a whole new file replaces it", FaultServer::ok(kPdf), RowState::Finished, kPdf, 1},
        {"a transfer cut short leaves it", cut, RowState::Failed, oldBytes, 1},
        {"a PDF without its end leaves it", FaultServer::ok(kPdfWithoutEnd), RowState::Failed, oldBytes, 1},
        {"it stays whole while the new one arrives", slow, RowState::Finished, kPdf, 1},
    };
    session.options().policy = DuplicatePolicy::Overwrite;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile old(folder + u"paper.pdf"_s);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(oldBytes);
        old.close();
        QFile::setPermissions(folder + u"paper.pdf"_s, QFile::ReadOwner | QFile::WriteOwner |
                                                           QFile::ReadGroup | QFile::ReadOther |
                                                           QFile::ReadUser | QFile::WriteUser);
        const QString path = u"/over-"_s + QString::number(session.list().count());
        server.route(path, c.reply);
        const int row = start(1, server.url(path), u"paper"_s, false);
        EXPECT_EQ(contentOf(u"paper.pdf"_s), oldBytes) << "untouched while the transfer runs";
        finish();
        EXPECT_EQ(session.list().at(row).state, c.state);
        EXPECT_EQ(contentOf(u"paper.pdf"_s), c.after);
        EXPECT_EQ(files(), QStringList{u"paper.pdf"_s}); // no temporary sibling or placeholder is left
        EXPECT_TRUE(QFile::permissions(folder + u"paper.pdf"_s) &
                    QFile::ReadOther); // not private to the owner
        EXPECT_EQ(server.requestCount(path), c.requests);
    }

    // A name that cannot be replaced (here a folder) fails the row before anything is fetched.
    QDir().mkpath(folder + u"folder.pdf/inner"_s);
    server.route(u"/folder"_s, FaultServer::ok(kPdf));
    const int row = start(1, server.url(u"/folder"_s), u"folder"_s);
    EXPECT_EQ(session.list().at(row).state, RowState::Failed);
    EXPECT_EQ(session.list().at(row).percent, u"无法替换"_s);
    EXPECT_EQ(server.requestCount(u"/folder"_s), 0);
    EXPECT_TRUE(QFileInfo(folder + u"folder.pdf/inner"_s).isDir());
}

TEST_F(Method2Test, PlaceholderMakesTheNextSlotChooseANewName) {
    FaultServer::Reply slow = FaultServer::ok(kPdf);
    slow.dripBytes = 1000;
    slow.dripIntervalMs = 20;
    server.route(u"/a"_s, slow);
    server.route(u"/b"_s, slow);
    const int first = start(1, server.url(u"/a"_s), u"same"_s, false);
    EXPECT_EQ(contentOf(u"same.pdf"_s), kPlaceholder);
    const int second = start(2, server.url(u"/b"_s), u"same"_s, false);
    EXPECT_EQ(method2.busyCount(), 2);
    EXPECT_EQ(method2.freeSlot(3), 3);
    EXPECT_EQ(method2.freeSlot(2), 0);
    finish();
    EXPECT_EQ(session.list().at(first).name, u"same"_s);
    EXPECT_EQ(session.list().at(second).name, u"same[001]"_s);
    EXPECT_EQ(files(), (QStringList{u"same.pdf"_s, u"same[001].pdf"_s}));
    EXPECT_EQ(contentOf(u"same[001].pdf"_s), kPdf);
}

TEST_F(Method2Test, BareAddressWithoutTypeEndsAsPdf) {
    // "/doi/pdf/10.1177/0044118X15598528" served as application/pdf: the row has no type, so its
    // file has no dot until the content names it.
    server.route(u"/doi/pdf/10.1177/0044118X15598528"_s, FaultServer::ok(kPdf));
    const int row =
        start(1, server.url(u"/doi/pdf/10.1177/0044118X15598528"_s), u"0044118X15598528"_s, true, QString());
    EXPECT_EQ(session.list().at(row).state, RowState::Finished);
    EXPECT_EQ(session.list().at(row).type, u"pdf"_s);
    EXPECT_EQ(files(), QStringList{u"0044118X15598528.pdf"_s});
    EXPECT_EQ(contentOf(u"0044118X15598528.pdf"_s), kPdf);
}

TEST_F(Method2Test, AmpersandEntityIsRequestedAsAmpersand) {
    server.route(u"/get?a=1&b=2"_s, FaultServer::ok(kPdf));
    start(1, server.url(u"/get?a=1&AMP;b=2 "_s));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().at(0).target, QByteArray("/get?a=1&b=2"));
}

TEST_F(Method2Test, StopUnloadsWithoutEvents) {
    FaultServer::Reply slow = FaultServer::ok(kPdf);
    slow.dripBytes = 100;
    slow.dripIntervalMs = 50;
    server.route(u"/a"_s, slow);
    const int row = start(1, server.url(u"/a"_s), u"p"_s, false);
    t.pump.sleepFor(120ms);
    method2.unloadAll();
    EXPECT_EQ(method2.busyCount(), 0);
    const DownloadRow before = session.list().at(row);
    t.pump.sleepFor(200ms);
    EXPECT_EQ(session.list().at(row).state, RowState::Downloading); // the scheduler's Stop marks it
    EXPECT_EQ(session.list().at(row).received, before.received);
    EXPECT_TRUE(files().isEmpty()) << "neither the placeholder nor a temporary sibling is left";
}

TEST_F(Method2Test, WebPageCorrectedSoundAndLogin) {
    session.options().sound = true;
    session.options().siteLogin = true;
    QList<int> sounds, logins;
    QObject::connect(&session, &DownloadSession::soundRequested, &session, [&](int id) { sounds << id; });
    QObject::connect(&session, &DownloadSession::siteLoginRequested, &session,
                     [&](int row) { logins << row; });
    server.route(u"/p"_s, FaultServer::ok("<html><head><title>Login</title></head><body>x</body></html>",
                                          "text/html"));
    const int row = start(1, server.url(u"/p"_s));
    EXPECT_EQ(session.list().at(row).type, u"htm"_s);
    EXPECT_EQ(files(), QStringList{u"paper.htm"_s});
    EXPECT_EQ(sounds, QList<int>{101});
    EXPECT_EQ(logins, QList<int>{row});
}

TEST_F(Method2Test, BadCertificateFails) {
    FaultServer tls(true);
    ASSERT_TRUE(tls.tlsReady());
    tls.route(u"/a.pdf"_s, FaultServer::ok(kPdf));
    const int row = start(1, tls.url(u"/a.pdf"_s));
    EXPECT_EQ(session.list().at(row).state, RowState::Failed);
    EXPECT_EQ(tls.requests().size(), 0);
}

TEST_F(Method2Test, EventsOfSlotZeroOrAnIdleSlotAreIgnored) {
    session.list().addRow(u"k"_s, u"n"_s, u"pdf"_s, folder, QString());
    method2.onProgress(0, 5, 10);
    method2.onComplete(0, 10, 10);
    method2.onError(3, u"超时"_s);
    method2.onProgress(3, 5, 10);
    EXPECT_EQ(session.list().at(0).state, RowState::Waiting);
    EXPECT_EQ(session.list().at(0).percent, QString());
}

} // namespace
