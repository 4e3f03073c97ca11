#include "downloads/Method1Transfer.h"
#include "downloads/DownloadSession.h"
#include "downloads/RowFiles.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "support/TransferFixture.h"
#include "transfer/InetControl.h"
#include "transfer/NetworkLayer.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray kPdf = "%PDF-1.4\n" + QByteArray(3000, 'p') + "\n%%EOF";
// What a transfer that lost the file's end delivers.
const QByteArray kPdfWithoutEnd = "%PDF-1.4\n" + QByteArray(3000, 'p');

// Transfers against the fault-injecting server, with short limits: 300 ms without data is a stall.
class Method1Test : public TransferFixture {
public:
    void SetUp() override {
        TransferFixture::SetUp();
        t.timing.headerWait = 5000ms;
        t.timing.stallLimit = 300ms;
    }

    int addRow(const QString& url, const QString& name = u"paper"_s, const QString& type = u"pdf"_s,
               const QString& tag = {}) {
        session.list().addRow(url, name, type, folder, tag);
        return session.list().count() - 1;
    }

    // Starts the row as the scheduler does and lets the event loop run until its end is
    // reported (a row the busy channel sent back to the queue has no end to wait for).
    void run(int row) {
        session.list().setState(row, RowState::Downloading);
        bool ended = false;
        const auto connection = QObject::connect(&method1, &Method1Transfer::rowFinished, &session,
                                                 [&](int r, bool) { ended = ended || r == row; });
        method1.downloadCurrentRow(row);
        if (session.list().at(row).state != RowState::Waiting) {
            EXPECT_TRUE(t.pump.waitUntil([&] { return ended; }, 20000ms)) << "row " << row << " never ended";
        }
        QObject::disconnect(connection);
    }

    QStringList filesIn(const QString& dir) const {
        return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                   QDir::Name);
    }

    Method1Transfer method1{session, network};
};

struct Expect {
    RowState state;
    QString size, received, percent;
    QString type;
    QStringList files; // the folder's entries afterwards
};

struct Case {
    const char* name;
    FaultServer::Reply reply;
    Expect expect;
    QByteArray content = {}; // of the single file, when given
    std::function<void(Method1Test&)> before = {};
};

FaultServer::Reply withHeader(FaultServer::Reply r, const QByteArray& name, const QByteArray& value) {
    r.headers.append(qMakePair(name, value));
    return r;
}

FaultServer::Reply noLength(FaultServer::Reply r) {
    r.contentLength = std::nullopt;
    return r;
}

TEST_F(Method1Test, OutcomesOfOneRow) {
    const QString n = QString::number(kPdf.size());
    FaultServer::Reply wrongLength = FaultServer::ok(kPdf);
    wrongLength.contentLength = kPdf.size() + 500;
    FaultServer::Reply stall = FaultServer::ok(kPdf);
    stall.stallAfter = 100;
    FaultServer::Reply drip = FaultServer::ok(kPdf);
    drip.dripBytes = 400;
    drip.dripIntervalMs = 30;
    FaultServer::Reply dripNoLength = noLength(drip);
    FaultServer::Reply huge = FaultServer::ok(kPdf);
    huge.contentLength = qint64(20) * 1024 * 1024;
    huge.stallAfter = 10;
    FaultServer::Reply notFound = FaultServer::ok(
        "<html><head><title>404</title></head><body>no</body></html>", "text/html; charset=utf-8");
    notFound.status = 404;
    notFound.reason = "Not Found";
    FaultServer::Reply serverError;
    serverError.status = 500;
    serverError.reason = "Internal Server Error";
    serverError.contentLength = std::nullopt;
    server.route(u"/target-no-length"_s, noLength(FaultServer::ok(kPdf)));
    FaultServer::Reply redirectWithLength = FaultServer::redirect("/target-no-length");
    redirectWithLength.body = QByteArray(50, 'r'); // "Content-Length: 50"
    FaultServer::Reply closeEarlyNoLength = noLength(FaultServer::ok(kPdf));
    closeEarlyNoLength.raw =
        "HTTP/1.1 200 OK\r\nContent-Type: application/pdf\r\nContent-Length: 5000\r\n\r\n%PDF-";

    const QString m = QString::number(kPdfWithoutEnd.size());
    FaultServer::Reply notFoundPdfWithoutEnd = noLength(FaultServer::ok(kPdfWithoutEnd));
    notFoundPdfWithoutEnd.status = 404;
    notFoundPdfWithoutEnd.reason = "Not Found";
    const auto overwriteOldPaper = [](Method1Test& f) {
        f.session.options().policy = DuplicatePolicy::Overwrite;
        QDir().mkpath(f.folder);
        QFile old(f.folder + u"paper.pdf"_s);
        old.open(QIODevice::WriteOnly);
        old.write(QByteArray(9000, 'o'));
    };

    const Case cases[] = {
        {"complete with length",
         FaultServer::ok(kPdf),
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         kPdf},
        {"no length, success status",
         noLength(FaultServer::ok(kPdf)),
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         kPdf},
        {"body shorter than its length fails at once",
         wrongLength,
         {RowState::Failed, u"下载失败"_s, n, u"85%"_s, u"pdf"_s, {}}},
        {"connection closed after 5 of 5000 bytes",
         closeEarlyNoLength,
         {RowState::Failed, u"下载失败"_s, u"5"_s, u"0%"_s, u"pdf"_s, {}}},
        {"stall after 100 bytes", stall, {RowState::Failed, u"下载失败"_s, u"100"_s, u"3%"_s, u"pdf"_s, {}}},
        {"a redirect's own length is not the file's",
         redirectWithLength,
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         kPdf},
        {"slow drip completes",
         drip,
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         kPdf},
        {"slow drip without length completes",
         dripNoLength,
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         kPdf},
        {"announced size over the limit",
         huge,
         {RowState::Finished, QString(), QString(), u"大文件，跳过"_s, u"pdf"_s, {}}},
        {"404 page is kept, typed as a web page and shows its status",
         notFound,
         {RowState::Finished, u"404 网页"_s, u"59"_s, u"100%"_s, u"htm"_s, {u"paper.htm"_s}}},
        {"PDF without its end marker is not finished and leaves nothing",
         FaultServer::ok(kPdfWithoutEnd),
         {RowState::Failed, u"文件不完整"_s, m, u"100%"_s, u"pdf"_s, {}}},
        {"the same through the whole-resource fallback",
         notFoundPdfWithoutEnd,
         {RowState::Failed, u"文件不完整"_s, QString(), QString(), u"pdf"_s, {}}},
        {"an overwrite cut short keeps the old file",
         wrongLength,
         {RowState::Failed, u"下载失败"_s, n, u"85%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         QByteArray(9000, 'o'),
         overwriteOldPaper},
        {"an overwrite without the end marker keeps the old file",
         FaultServer::ok(kPdfWithoutEnd),
         {RowState::Failed, u"文件不完整"_s, m, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         QByteArray(9000, 'o'),
         overwriteOldPaper},
        {"500 without body: fallback gets nothing",
         serverError,
         {RowState::Failed, QString(), QString(), QString(), u"pdf"_s, {}}},
        {"octet-stream named by its disposition",
         withHeader(FaultServer::ok("plain words", "application/octet-stream"), "Content-Disposition",
                    "attachment; filename=\"report.pdf\""),
         {RowState::Finished, u"11"_s, u"11"_s, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}}},
        {"unknown type with a charset is htm",
         FaultServer::ok("plain words", "application/octet-stream; charset=gbk"),
         {RowState::Finished, u"11"_s, u"11"_s, u"100%"_s, u"htm"_s, {u"paper.htm"_s}}},
        {"content decides over the header",
         FaultServer::ok(kPdf, "text/html; charset=gbk"),
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         kPdf},
        {"existing file is overwritten",
         FaultServer::ok(kPdf),
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s}},
         kPdf,
         overwriteOldPaper},
        {"existing file is kept under rename",
         FaultServer::ok(kPdf),
         {RowState::Finished, n, n, u"100%"_s, u"pdf"_s, {u"paper.pdf"_s, u"paper[001].pdf"_s}},
         QByteArray(),
         [](Method1Test& f) {
             QDir().mkpath(f.folder);
             QFile old(f.folder + u"paper.pdf"_s);
             old.open(QIODevice::WriteOnly);
             old.write("old");
         }},
        {"target that cannot be replaced",
         FaultServer::ok(kPdf),
         {RowState::Failed, u"4096"_s, u"4096"_s, u"无法替换"_s, u"pdf"_s, {u"paper.pdf"_s}},
         QByteArray(),
         [](Method1Test& f) {
             f.session.options().policy = DuplicatePolicy::Overwrite;
             QDir().mkpath(f.folder + u"paper.pdf/inner"_s); // a non-empty folder cannot be removed as a file
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        session.options().policy = DuplicatePolicy::Rename;
        if (c.before)
            c.before(*this);
        const QString path = u"/case"_s + QString::number(session.list().count()) + u".pdf"_s;
        server.route(path, c.reply);
        const int row = addRow(server.url(path));
        run(row);
        const DownloadRow& r = session.list().at(row);
        EXPECT_EQ(r.state, c.expect.state);
        EXPECT_EQ(r.size, c.expect.size);
        EXPECT_EQ(r.received, c.expect.received);
        EXPECT_EQ(r.percent, c.expect.percent);
        EXPECT_EQ(r.type, c.expect.type);
        EXPECT_EQ(filesIn(folder), c.expect.files);
        if (!c.content.isNull() && !c.expect.files.isEmpty()) {
            EXPECT_EQ(contentOf(c.expect.files.first()), c.content);
        }
        // A row that finished with a file owns it; any other row owns nothing.
        const bool wroteFile = r.state == RowState::Finished && r.percent == u"100%"_s;
        EXPECT_EQ(RowFiles::stillOwned(r.owned), wroteFile);
        if (wroteFile) {
            EXPECT_EQ(r.owned.path, session.list().filePath(row));
        }
        EXPECT_FALSE(method1.isRunning());
        EXPECT_FALSE(method1.inet().stillExecuting());
    }
}

TEST_F(Method1Test, RefererAndStatusTexts) {
    server.route(u"/a.pdf"_s, FaultServer::ok(kPdf));
    QStringList panel2, panel3;
    QObject::connect(&session, &DownloadSession::statusTextChanged, &session,
                     [&](int panel, const QString& text) { (panel == 2 ? panel2 : panel3) << text; });
    run(addRow(server.url(u"/a.pdf"_s), u"x"_s));
    run(addRow(server.url(u"/a.pdf?2"_s), u"y"_s, u"pdf"_s, u"http://journal.example/article/1"_s));
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests().at(0).header("Referer"), server.origin().toLatin1());
    EXPECT_EQ(server.requests().at(1).header("Referer"), QByteArray("http://journal.example/article/1"));
    EXPECT_EQ(panel2, (QStringList{u"正在下载:x"_s, u"完成下载:x"_s, u"正在下载:y"_s, u"完成下载:y"_s}));
    EXPECT_TRUE(panel3.contains(u"8 已成功地接收到主机的响应。"_s));
    EXPECT_TRUE(panel3.contains(u"12 该请求已经完成，并且所有数据均已接收到。"_s));
}

TEST_F(Method1Test, BusyChannelRequeuesTheRow) {
    FaultServer::Reply drip = FaultServer::ok(kPdf);
    drip.dripBytes = 200;
    drip.dripIntervalMs = 20;
    server.route(u"/slow.pdf"_s, drip);
    const int first = addRow(server.url(u"/slow.pdf"_s), u"first"_s);
    const int row = addRow(server.url(u"/a.pdf"_s));
    QTimer::singleShot(60, &session, [&] { run(row); }); // while the first row streams
    run(first);
    EXPECT_EQ(session.list().at(first).state, RowState::Finished);
    EXPECT_EQ(session.list().at(row).state, RowState::Waiting);
    EXPECT_EQ(session.list().at(row).size, u"等待重新下载"_s);
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(Method1Test, StopDeletesThePartialFile) {
    FaultServer::Reply drip = FaultServer::ok(kPdf);
    drip.dripBytes = 100;
    drip.dripIntervalMs = 40;
    server.route(u"/slow.pdf"_s, drip);
    const int row = addRow(server.url(u"/slow.pdf"_s));
    QTimer::singleShot(150, &session, [this] { method1.cancel(); }); // "停止下载"
    run(row);
    EXPECT_EQ(session.list().at(row).state, RowState::Failed);
    EXPECT_EQ(session.list().at(row).size, u"下载取消"_s);
    EXPECT_TRUE(filesIn(folder).isEmpty());
}

TEST_F(Method1Test, UnknownSizeOverTheLimitLeavesNoPart) {
    // A part under the final name would be taken for the file by a later "跳过" run.
    session.options().maxFileSizeMB = 0.001; // 1048 bytes
    server.route(u"/big"_s, noLength(FaultServer::ok(kPdf)));
    const int row = addRow(server.url(u"/big"_s));
    run(row);
    EXPECT_EQ(session.list().at(row).state, RowState::Finished);
    EXPECT_EQ(session.list().at(row).percent, u"大文件，跳过"_s);
    EXPECT_TRUE(filesIn(folder).isEmpty());
}

TEST_F(Method1Test, NamesWithPathCharactersStayInTheFolder) {
    server.route(u"/a.pdf"_s, FaultServer::ok(kPdf));
    const QString parent = t.path(QString());
    const QStringList before = filesIn(parent);
    const int row = addRow(server.url(u"/a.pdf"_s), u"../../evil/x"_s);
    run(row);
    EXPECT_EQ(session.list().at(row).state, RowState::Finished);
    EXPECT_EQ(filesIn(folder), QStringList{session.list().at(row).name + u".pdf"_s});
    EXPECT_FALSE(session.list().at(row).name.contains(u'/'));
    QStringList after = filesIn(parent);
    after.removeAll(u"out"_s);
    EXPECT_EQ(after, before);
}

TEST_F(Method1Test, SoundsAndSiteLoginAfterAWebPage) {
    session.options().sound = true;
    session.options().siteLogin = true;
    server.route(u"/login"_s, FaultServer::ok("<html><head><title>Sign in</title></head><body></body></html>",
                                              "text/html; charset=utf-8"));
    QList<int> sounds, logins;
    QObject::connect(&session, &DownloadSession::soundRequested, &session, [&](int id) { sounds << id; });
    QObject::connect(&session, &DownloadSession::siteLoginRequested, &session,
                     [&](int row) { logins << row; });
    const int row = addRow(server.url(u"/login"_s));
    run(row);
    EXPECT_EQ(session.list().at(row).type, u"htm"_s);
    EXPECT_EQ(sounds, QList<int>{101});
    EXPECT_EQ(logins, QList<int>{row});

    sounds.clear();
    FaultServer::Reply stall = FaultServer::ok(kPdf);
    stall.stallAfter = 10;
    server.route(u"/stall"_s, stall);
    run(addRow(server.url(u"/stall"_s), u"s"_s));
    EXPECT_EQ(sounds, QList<int>{103});
}

TEST_F(Method1Test, BadCertificateGivesNoHeaders) {
    FaultServer tls(true);
    ASSERT_TRUE(tls.tlsReady());
    tls.route(u"/a.pdf"_s, FaultServer::ok(kPdf));
    const int row = addRow(tls.url(u"/a.pdf"_s));
    run(row);
    EXPECT_EQ(session.list().at(row).state, RowState::Failed);
    EXPECT_EQ(session.list().at(row).size, QString());
    EXPECT_TRUE(filesIn(folder).isEmpty());
    EXPECT_EQ(method1.inet().protocol, 5);
    EXPECT_EQ(method1.inet().remotePort, 443);
}

TEST_F(Method1Test, RowWithoutTypeIsWrittenToItsOwnPathAndNamedByTheContent) {
    // A bare address ("/doi/pdf/10.1177/0044118X15598528") whose server says only octet-stream.
    server.route(u"/doi/pdf/10.1177/0044118X15598528"_s, FaultServer::ok(kPdf, "application/octet-stream"));
    for (DuplicatePolicy policy : {DuplicatePolicy::Rename, DuplicatePolicy::Overwrite}) {
        QDir(folder).removeRecursively();
        session.options().policy = policy;
        const int row =
            addRow(server.url(u"/doi/pdf/10.1177/0044118X15598528"_s), u"0044118X15598528"_s, QString());
        run(row);
        EXPECT_EQ(session.list().at(row).state, RowState::Finished);
        EXPECT_EQ(session.list().at(row).type, u"pdf"_s);
        EXPECT_EQ(filesIn(folder), QStringList{u"0044118X15598528.pdf"_s});
        EXPECT_EQ(contentOf(u"0044118X15598528.pdf"_s), kPdf);
        session.list().clear();
    }
}

TEST_F(Method1Test, FilesThatCannotBeWrittenAreNotFinished) {
    // The process may not create files in /proc, not even as root: the folder exists and
    // refuses.
    FaultServer::Reply fallback = noLength(FaultServer::ok("<html>error page</html>", "text/html"));
    fallback.status = 500; // no size and no success: the whole-resource fallback
    fallback.reason = "Internal Server Error";
    server.route(u"/stream"_s, FaultServer::ok(kPdf));
    server.route(u"/fallback"_s, fallback);
    struct Case {
        const char* name;
        QString path;
        QString size;
    } cases[] = {
        {"streamed body", u"/stream"_s, u"下载失败"_s},
        {"whole-resource fallback", u"/fallback"_s, u"下载失败"_s},
    };
    for (const Case& c : cases) {
        session.list().addRow(server.url(c.path), u"x"_s, u"pdf"_s, u"/proc/"_s, {});
        const int row = session.list().count() - 1;
        run(row);
        const DownloadRow& r = session.list().at(row);
        EXPECT_EQ(r.state, RowState::Failed) << c.name;
        EXPECT_EQ(r.size, c.size) << c.name;
        EXPECT_NE(r.percent, u"100%"_s) << c.name;
    }
}

TEST_F(Method1Test, TransferCanBeDiscardedAtAnyMoment) {
    // The window's close deletes the engine while bytes are arriving: nothing under the final
    // name, no temporary file, and no event after the end.
    FaultServer::Reply drip = FaultServer::ok(kPdf);
    drip.dripBytes = 200;
    drip.dripIntervalMs = 20;
    server.route(u"/slow.pdf"_s, drip);
    auto transfer = std::make_unique<Method1Transfer>(session, network);
    int ends = 0;
    QObject::connect(transfer.get(), &Method1Transfer::rowFinished, &session, [&] { ++ends; });
    const int row = addRow(server.url(u"/slow.pdf"_s));
    session.list().setState(row, RowState::Downloading);
    transfer->downloadCurrentRow(row);
    ASSERT_TRUE(t.pump.waitUntil([&] { return session.list().at(row).received.toInt() >= 400; }, 5000ms));
    EXPECT_TRUE(transfer->isRunning());
    transfer.reset();
    t.pump.sleepFor(100ms);
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(filesIn(folder).isEmpty());
}

TEST_F(Method1Test, StopAtEachStepEndsTheRowAtOnce) {
    FaultServer::Reply silent = FaultServer::ok(kPdf); // headers never come
    silent.raw = "H";
    silent.closeDelayMs = 5000;
    FaultServer::Reply fallbackStall = noLength(FaultServer::ok(kPdf));
    fallbackStall.status = 500;
    fallbackStall.reason = "Internal Server Error";
    fallbackStall.stallAfter = 100;
    FaultServer::Reply streamStall = FaultServer::ok(kPdf);
    streamStall.stallAfter = 100;
    server.route(u"/silent"_s, silent);
    server.route(u"/fallback"_s, fallbackStall);
    server.route(u"/stream"_s, streamStall);
    t.timing.stallLimit = 60000ms; // only Stop ends these
    struct Case {
        const char* name;
        QString path;
        QString size;
    } cases[] = {
        {"waiting for headers", u"/silent"_s, QString()},
        {"whole-resource fallback", u"/fallback"_s, QString()},
        {"streaming", u"/stream"_s, u"下载取消"_s},
    };
    for (const Case& c : cases) {
        const int row = addRow(server.url(c.path), QString::fromLatin1(c.name));
        session.list().setState(row, RowState::Downloading);
        bool ended = false;
        QObject::connect(
            &method1, &Method1Transfer::rowFinished, &session, [&] { ended = true; },
            Qt::SingleShotConnection);
        method1.downloadCurrentRow(row);
        t.pump.sleepFor(150ms);
        ASSERT_TRUE(method1.isRunning()) << c.name;
        method1.cancel();
        EXPECT_TRUE(ended) << c.name << ": reported before Stop returns";
        EXPECT_FALSE(method1.isRunning()) << c.name;
        EXPECT_EQ(session.list().at(row).state, RowState::Failed) << c.name;
        EXPECT_EQ(session.list().at(row).size, c.size) << c.name;
        EXPECT_TRUE(filesIn(folder).isEmpty()) << c.name;
    }
}

TEST_F(Method1Test, ProxyCarriesEveryRedirectHop) {
    FaultServer proxy;
    proxy.route(u"/moved"_s, FaultServer::redirect("http://files.invalid/a.pdf"));
    proxy.route(u"/a.pdf"_s, FaultServer::ok(kPdf));
    session.options().proxyEnabled = true;
    session.options().proxyHost = u"127.0.0.1"_s;
    session.options().proxyPort = QString::number(proxy.port());
    const int row = addRow(u"http://files.invalid/moved"_s);
    run(row);
    EXPECT_EQ(session.list().at(row).state, RowState::Finished);
    // Both hops reached the proxy (under load Qt may send a request a second time).
    QByteArrayList targets;
    for (const FaultServer::Request& request : proxy.requests()) {
        if (!targets.contains(request.target))
            targets << request.target;
    }
    EXPECT_EQ(targets, QByteArrayList({"http://files.invalid/moved", "http://files.invalid/a.pdf"}));
    EXPECT_EQ(contentOf(u"paper.pdf"_s), kPdf);
}

TEST_F(Method1Test, ProxyCarriesTheRequest) {
    FaultServer proxy;
    proxy.route(u"/a.pdf"_s, FaultServer::ok(kPdf));
    session.options().proxyEnabled = true;
    session.options().proxyHost = u"127.0.0.1"_s;
    session.options().proxyPort = QString::number(proxy.port());
    const int row = addRow(u"http://files.invalid/a.pdf"_s);
    run(row);
    EXPECT_EQ(session.list().at(row).state, RowState::Finished);
    ASSERT_EQ(proxy.requests().size(), 1);
    EXPECT_EQ(proxy.requests().at(0).target, QByteArray("http://files.invalid/a.pdf"));
    EXPECT_EQ(method1.inet().accessType, 2);
    EXPECT_EQ(method1.inet().remotePort, int(proxy.port()));
    EXPECT_EQ(method1.inet().proxy, u"127.0.0.1:"_s + QString::number(proxy.port()));

    // The proxy is this request's only: a later direct request does not use it.
    session.options().proxyEnabled = false;
    server.route(u"/b.pdf"_s, FaultServer::ok(kPdf));
    run(addRow(server.url(u"/b.pdf"_s), u"b"_s));
    EXPECT_EQ(proxy.requests().size(), 1);
    EXPECT_EQ(server.requestCount(u"/b.pdf"_s), 1);
}

TEST(Method1Helpers, SiteRootAndStateTexts) {
    struct Case {
        QString url, root;
    } cases[] = {
        {u"https://journals.example.com/doi/pdf/10.1/x"_s, u"https://journals.example.com"_s},
        {u"http://h:8080"_s, u"http://h:8080"_s},
        {u"www.example.com/a/b"_s, u"www.example.com"_s},
        {u"ab/c"_s, u"ab/c"_s},
        {u"abcd/c"_s, u"abcd"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Method1Transfer::siteRoot(c.url), c.root) << c.url.toStdString();
    EXPECT_EQ(Method1Transfer::stateText(0, 0, {}), u"0 无状态可报告。"_s);
    EXPECT_EQ(Method1Transfer::stateText(11, 5, u"x"_s), u"11 与主机通讯时出现了错误:5:x"_s);
    EXPECT_EQ(Method1Transfer::stateText(42, 7, u"y"_s), u"7:y"_s);
}

} // namespace
