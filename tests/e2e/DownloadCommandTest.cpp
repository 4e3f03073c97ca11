#include "DownloadProcess.h"
#include "downloads/DownloadListStore.h"
#include "platform/EventPump.h"
#include "support/ArticleSite.h"
#include "support/FaultServer.h"
#include "support/NginxPeer.h"
#include "support/PeerProcess.h"
#include "support/QtPrinters.h"
#include "support/TinyproxyPeer.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

QByteArray randomBytes(int size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

QByteArray pdfBytes(int bodySize, quint32 seed) {
    return "%PDF-1.4\n" + randomBytes(bodySize, seed).toBase64() + "\n%%EOF\n";
}

using RunResult = DownloadRun;

// Runs `mojing download ...` with its own settings folder.
class DownloadCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NginxPeer::available())
            GTEST_SKIP() << "nginx is not installed (scripts/deps.sh installs nginx-light)";
        out = home.filePath(u"out"_s);
    }

    RunResult run(const QStringList& args, const std::function<void(QProcess&)>& whileRunning = {},
                  const QList<QPair<QString, QString>>& extraEnv = {}) {
        QProcess process;
        startDownloadProcess(process, home, args, extraEnv);
        if (whileRunning)
            whileRunning(process);
        EXPECT_TRUE(process.waitForFinished(120000)) << "mojing download did not end";
        return downloadRunOf(process);
    }

    QTemporaryDir home;
    QString out;
    NginxPeer nginx;
};

TEST_F(DownloadCommandTest, MethodTwoFetchesFilesWithAndWithoutLength) {
    const QByteArray a = pdfBytes(200000, 1), b = pdfBytes(3000, 2), c = randomBytes(150000, 3);
    nginx.putFile(u"papers/a.pdf"_s, a);
    nginx.putFile(u"nolength/b.pdf"_s, b);
    nginx.putFile(u"slow/c.pdf"_s, c);
    ASSERT_TRUE(nginx.start(u"200k"_s)) << nginx.errorText().toStdString();

    const RunResult r = run({u"--folder"_s, out, u"--slots"_s, u"3"_s, nginx.url(u"papers/a.pdf"_s),
                             nginx.url(u"nolength/b.pdf"_s), nginx.url(u"slow/c.pdf"_s)});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(fileContent(out + u"/a.pdf"_s), a);
    EXPECT_EQ(fileContent(out + u"/b.pdf"_s), b);
    EXPECT_EQ(fileContent(out + u"/c.pdf"_s), c);
    EXPECT_TRUE(r.out.contains(u"总数:3 正在下载:0 等待:0 已完成:3 失败:0"_s)) << r.out.toStdString();
    const QList<QStringList> rows = r.rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (QStringList{u"3"_s, u"a"_s, u"pdf"_s, QString::number(a.size()), u"100%"_s,
                                    QDir::cleanPath(out) + u"/a.pdf"_s}));
    EXPECT_EQ(rows[1][4], u"100%"_s) << "no announced length, still complete";
}

TEST_F(DownloadCommandTest, MethodOneGoesThroughTheProxyWithTheReferer) {
    if (!TinyproxyPeer::available())
        GTEST_SKIP() << "tinyproxy is not installed (scripts/deps.sh installs it)";
    const QByteArray a = pdfBytes(50000, 4), b = pdfBytes(2000, 5);
    nginx.putFile(u"a.pdf"_s, a);
    nginx.putFile(u"nolength/b.pdf"_s, b);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    TinyproxyPeer proxy;
    ASSERT_TRUE(proxy.start()) << proxy.errorText().toStdString();

    const RunResult r =
        run({u"--method"_s, u"1"_s, u"--proxy"_s, u"127.0.0.1:"_s + QString::number(proxy.port()),
             u"--referer"_s, u"http://journal.example/article/1"_s, u"--folder"_s, out, nginx.url(u"a.pdf"_s),
             nginx.url(u"nolength/b.pdf"_s)});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(fileContent(out + u"/a.pdf"_s), a);
    EXPECT_EQ(fileContent(out + u"/b.pdf"_s), b);
    const QString log = nginx.accessLog();
    EXPECT_TRUE(log.contains(u"/a.pdf|1.1 "_s + TinyproxyPeer::kViaName)) << log.toStdString();
    EXPECT_TRUE(log.contains(u"/nolength/b.pdf|1.1 "_s + TinyproxyPeer::kViaName)) << log.toStdString();
    EXPECT_TRUE(log.contains(u"|http://journal.example/article/1|200"_s)) << log.toStdString();
}

TEST_F(DownloadCommandTest, ListFileNamesTypesAndFolders) {
    const QByteArray a = pdfBytes(1000, 6);
    nginx.putFile(u"get"_s, a);
    nginx.putFile(u"x.pdf"_s, a);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    const QString list = home.filePath(u"list.tsv"_s);
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write((nginx.url(u"get"_s) + u"\t论文: 标题\tpdf\n"_s + nginx.url(u"x.pdf"_s) + u"\tsecond\tpdf\t"_s +
             home.filePath(u"other"_s) + u"\n"_s)
                .toUtf8());
    f.close();
    const RunResult r = run({u"--folder"_s, out, u"--list"_s, list});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(fileContent(out + u"/论文 标题.pdf"_s), a);
    EXPECT_EQ(fileContent(home.filePath(u"other/second.pdf"_s)), a);
}

TEST_F(DownloadCommandTest, SkipPolicyMakesNoRequestForExistingFiles) {
    nginx.putFile(u"a.pdf"_s, pdfBytes(1000, 7));
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    QDir().mkpath(out);
    QFile old(out + u"/a.pdf"_s);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept");
    old.close();
    const RunResult r = run({u"--folder"_s, out, u"--policy"_s, u"跳过"_s, nginx.url(u"a.pdf"_s)});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_EQ(fileContent(out + u"/a.pdf"_s), QByteArray("kept"));
    EXPECT_TRUE(nginx.accessLog().isEmpty()) << nginx.accessLog().toStdString();
    ASSERT_EQ(r.rows().size(), 1);
    EXPECT_EQ(r.rows()[0][4], u"已存在，跳过"_s);
}

TEST_F(DownloadCommandTest, MissingFileIsReportedAsFailure) {
    nginx.putFile(u"a.pdf"_s, pdfBytes(1000, 8));
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    const RunResult r = run({u"--folder"_s, out, nginx.url(u"a.pdf"_s), nginx.url(u"gone.pdf"_s)});
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
    EXPECT_TRUE(QFile::exists(out + u"/a.pdf"_s));
    ASSERT_EQ(r.rows().size(), 2);
    EXPECT_EQ(r.rows()[1][3], u"404 网页"_s) << "the error page says what it is where the size goes";
}

// Two rows of the same name: the first breaks off, the second then finishes under the name, and the
// retry of the first must not take the second's file for its own.
TEST_F(DownloadCommandTest, TwoSameNamedRowsKeepBothPapersThroughARetry) {
    const QByteArray first = pdfBytes(20000, 30), second = pdfBytes(20000, 31);
    FaultServer::Reply cut = FaultServer::ok(first);
    cut.closeAfter = 5000;
    FaultServer server;
    server.route(u"/second.pdf"_s, FaultServer::ok(second));
    const QString list = home.filePath(u"list.tsv"_s);
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write((server.url(u"/first.pdf"_s) + u"\tEditorial\tpdf\n"_s + server.url(u"/second.pdf"_s) +
             u"\tEditorial\tpdf\n"_s)
                .toUtf8());
    f.close();
    for (const QString& method : {u"1"_s, u"2"_s}) {
        SCOPED_TRACE(method.toStdString());
        QDir(out).removeRecursively();
        server.routeSequence(u"/first.pdf"_s, {cut, FaultServer::ok(first)});
        const RunResult r =
            runDownloadServing(home, {u"--method"_s, method, u"--slots"_s, u"1"_s, u"--policy"_s, u"rename"_s,
                                      u"--auto-retry"_s, u"--folder"_s, out, u"--list"_s, list});
        EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(fileContent(out + u"/Editorial.pdf"_s) == second) << "the second row's paper is gone";
        EXPECT_TRUE(fileContent(out + u"/Editorial[001].pdf"_s) == first);
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2)
            << QDir(out).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
    }
}

// What the user already had survives a download that fails; a PDF that lost its end is no file.
TEST_F(DownloadCommandTest, AFailedDownloadLeavesNothingAndDestroysNothing) {
    const QByteArray paper = pdfBytes(20000, 32);
    FaultServer::Reply cut = FaultServer::ok(paper);
    cut.closeAfter = 5000;
    FaultServer::Reply endless = FaultServer::ok(paper.left(paper.lastIndexOf("%%EOF")));
    FaultServer server;
    server.route(u"/cut/paper.pdf"_s, cut);
    server.route(u"/endless/paper.pdf"_s, endless);
    const QByteArray old = "%PDF-1.4 the user's own copy\n%%EOF\n";
    const struct {
        const char* name;
        QString path;
        bool existing; // the user has a file under the name, and the policy is overwrite
        QString size;  // of the row afterwards
    } cases[] = {
        {"an overwrite cut short", u"/cut/paper.pdf"_s, true, QString()},
        {"an overwrite with a PDF that lost its end", u"/endless/paper.pdf"_s, true, u"文件不完整"_s},
        {"a PDF that lost its end", u"/endless/paper.pdf"_s, false, u"文件不完整"_s},
    };
    for (const QString& method : {u"1"_s, u"2"_s}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(method.toStdString() + ": " + c.name);
            QDir(out).removeRecursively();
            QDir().mkpath(out);
            if (c.existing) {
                QFile mine(out + u"/paper.pdf"_s);
                ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
                mine.write(old);
            }
            const RunResult r = runDownloadServing(home, {u"--method"_s, method, u"--policy"_s,
                                                          c.existing ? u"overwrite"_s : u"rename"_s,
                                                          u"--folder"_s, out, server.url(c.path)});
            EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
            ASSERT_EQ(r.rows().size(), 1) << r.out.toStdString();
            EXPECT_EQ(r.rows()[0][0], u"4"_s);
            if (!c.size.isNull()) {
                EXPECT_EQ(r.rows()[0][3], c.size);
            }
            EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
                      c.existing ? QStringList{u"paper.pdf"_s} : QStringList());
            if (c.existing) {
                EXPECT_EQ(fileContent(out + u"/paper.pdf"_s), old);
            }
        }
    }
}

TEST_F(DownloadCommandTest, InterruptStopsLikeTheStopButton) {
    nginx.putFile(u"slow/big.pdf"_s, pdfBytes(400000, 9));
    nginx.putFile(u"later.pdf"_s, pdfBytes(1000, 10));
    ASSERT_TRUE(nginx.start(u"20k"_s)) << nginx.errorText().toStdString();
    const RunResult r = run(
        {u"--folder"_s, out, u"--slots"_s, u"1"_s, nginx.url(u"slow/big.pdf"_s), nginx.url(u"later.pdf"_s)},
        [&](QProcess& p) {
            // Wait until the first row is under way, then press Ctrl-C.
            for (int i = 0; i < 100 && !QFile::exists(out + u"/big.pdf"_s); ++i)
                p.waitForFinished(100);
            p.waitForFinished(1500);
            ::kill(pid_t(p.processId()), SIGINT);
        });
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
    const QList<QStringList> rows = r.rows();
    ASSERT_EQ(rows.size(), 2) << r.out.toStdString();
    EXPECT_EQ(rows[0][0], u"4"_s);
    EXPECT_EQ(rows[1][0], u"1"_s) << "nothing starts after the stop";
    EXPECT_FALSE(QFile::exists(out + u"/big.pdf"_s)) << "no partial file stays";
}

TEST_F(DownloadCommandTest, FileOverTheSizeLimitIsSkippedWithoutATraceAndDidNotArrive) {
    QFile big(nginx.www() + u"/mid.bin"_s);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.resize(3 * 1024 * 1024); // sparse
    big.close();
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    for (const QString& method : {u"2"_s, u"1"_s}) {
        SCOPED_TRACE(method.toStdString());
        QDir(out).removeRecursively();
        const RunResult r = run(
            {u"--method"_s, method, u"--max-size"_s, u"1"_s, u"--folder"_s, out, nginx.url(u"mid.bin"_s)});
        EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"over the size limit (1 MB)"_s)) << r.err.toStdString();
        ASSERT_EQ(r.rows().size(), 1);
        EXPECT_EQ(r.rows()[0][4], u"大文件，跳过"_s);
        EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty())
            << QDir(out).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
    }
    // With a file of the user's under the name, the manifest records the skip as nothing
    // downloaded (not as that file), and the file stays as it was.
    for (const QString& method : {u"2"_s, u"1"_s}) {
        SCOPED_TRACE(method.toStdString());
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        QFile mine(out + u"/mid.bin"_s);
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("the user's own file");
        mine.close();
        const QString manifest = home.filePath(u"manifest-too-large"_s + method);
        const RunResult r =
            run({u"--method"_s, method, u"--policy"_s, u"overwrite"_s, u"--max-size"_s, u"1"_s,
                 u"--manifest"_s, manifest, u"--folder"_s, out, nginx.url(u"mid.bin"_s)});
        EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(fileContent(out + u"/mid.bin"_s), QByteArray("the user's own file"));
        const QStringList cells = QString::fromUtf8(fileContent(manifest)).trimmed().split(u'\t');
        ASSERT_GE(cells.size(), 9) << cells.join(u'|').toStdString();
        EXPECT_EQ(cells[1], u"4"_s) << "not downloaded";
        EXPECT_EQ(cells[7], QString()) << "no checksum of a file the run did not fetch";
    }
    QDir(out).removeRecursively();

    // A later run that skips existing files still fetches it: nothing was taken for the file.
    const RunResult again = run(
        {u"--policy"_s, u"跳过"_s, u"--max-size"_s, u"10"_s, u"--folder"_s, out, nginx.url(u"mid.bin"_s)});
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString() << again.err.toStdString();
    EXPECT_EQ(QFileInfo(out + u"/mid.bin"_s).size(), 3 * 1024 * 1024);
}

// A chunked body whose server goes away before its last chunk is not a file, with either method.
// The server runs in a process of its own: only there does the close reach the client as it would
// from a real server.
TEST_F(DownloadCommandTest, CutChunkedBodyFailsAndLeavesNothing) {
    const QString python = PeerProcess::findBinary({u"/usr/bin/python3"_s}, u"python3"_s);
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed (scripts/deps.sh installs it)";
    PeerProcess server;
    const int port = freeLoopbackPort();
    ASSERT_TRUE(server.start(
        python, {QStringLiteral(MOJING_TEST_SUPPORT) + u"/cut_chunked_server.py"_s, QString::number(port)},
        port))
        << server.output().toStdString();
    const QString origin = u"http://127.0.0.1:"_s + QString::number(port);
    for (const QString& method : {u"2"_s, u"1"_s}) {
        for (const QString& path : {u"/inside/a.pdf"_s, u"/no-last-chunk/b.pdf"_s}) {
            SCOPED_TRACE(QString(method + u' ' + path).toStdString());
            QDir(out).removeRecursively();
            const RunResult r = run({u"--method"_s, method, u"--folder"_s, out, origin + path});
            EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
            ASSERT_EQ(r.rows().size(), 1);
            EXPECT_EQ(r.rows()[0][0], u"4"_s);
            EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty())
                << QDir(out).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
        }
    }
}

TEST_F(DownloadCommandTest, RedirectsKeepTheWholeFileAndTheBareAddressEndsAsPdf) {
    // nginx answers /redirect/... with a 302 page of its own length; the target below /nolength/
    // comes without one. The bare address has no extension and is served as octet-stream.
    const QByteArray b = pdfBytes(30000, 11), bare = pdfBytes(20000, 12);
    nginx.putFile(u"nolength/b.pdf"_s, b);
    nginx.putFile(u"doi/pdf/10.1177/0044118X15598528"_s, bare);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    for (const QString& method : {u"2"_s, u"1"_s}) {
        SCOPED_TRACE(method.toStdString());
        QDir(out).removeRecursively();
        const RunResult r =
            run({u"--method"_s, method, u"--folder"_s, out, nginx.url(u"redirect/nolength/b.pdf"_s),
                 nginx.url(u"doi/pdf/10.1177/0044118X15598528"_s)});
        EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(fileContent(out + u"/b.pdf"_s), b);
        EXPECT_EQ(fileContent(out + u"/0044118X15598528.pdf"_s), bare);
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2)
            << QDir(out).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
        const QList<QStringList> rows = r.rows();
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[0][3], QString::number(b.size()));
        EXPECT_EQ(rows[0][4], u"100%"_s);
        EXPECT_EQ(rows[1][2], u"pdf"_s);
    }
}

TEST_F(DownloadCommandTest, ProxyOptionCarriesEveryHopOfMethodOne) {
    if (!TinyproxyPeer::available())
        GTEST_SKIP() << "tinyproxy is not installed (scripts/deps.sh installs it)";
    const QByteArray a = pdfBytes(20000, 13);
    nginx.putFile(u"a.pdf"_s, a);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    TinyproxyPeer proxy;
    ASSERT_TRUE(proxy.start()) << proxy.errorText().toStdString();
    const RunResult r =
        run({u"--method"_s, u"1"_s, u"--proxy"_s, u"127.0.0.1:"_s + QString::number(proxy.port()),
             u"--folder"_s, out, nginx.url(u"redirect/a.pdf"_s)});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(fileContent(out + u"/a.pdf"_s), a);
    const QString log = nginx.accessLog();
    EXPECT_TRUE(log.contains(u"/redirect/a.pdf|1.1 "_s + TinyproxyPeer::kViaName)) << log.toStdString();
    EXPECT_TRUE(log.contains(u"/a.pdf|1.1 "_s + TinyproxyPeer::kViaName)) << log.toStdString();
    EXPECT_FALSE(log.contains(u"/a.pdf|-|"_s)) << "no hop goes around the proxy: " << log.toStdString();
}

TEST_F(DownloadCommandTest, MethodTwoFollowsTheSystemProxyAndSaysTheOptionIsMethodOnes) {
    if (!TinyproxyPeer::available())
        GTEST_SKIP() << "tinyproxy is not installed (scripts/deps.sh installs it)";
    const QByteArray a = pdfBytes(20000, 14);
    nginx.putFile(u"a.pdf"_s, a);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    TinyproxyPeer proxy;
    ASSERT_TRUE(proxy.start()) << proxy.errorText().toStdString();
    const QString viaEnvironment = u"http://127.0.0.1:"_s + QString::number(proxy.port());
    const RunResult r = run(
        {u"--method"_s, u"2"_s, u"--proxy"_s, u"127.0.0.1:1"_s, u"--folder"_s, out, nginx.url(u"a.pdf"_s)},
        {}, {{u"http_proxy"_s, viaEnvironment}, {u"no_proxy"_s, QString()}});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"warning: --proxy is a method-1 setting"_s)) << r.err.toStdString();
    EXPECT_EQ(fileContent(out + u"/a.pdf"_s), a);
    EXPECT_TRUE(nginx.accessLog().contains(u"/a.pdf|1.1 "_s + TinyproxyPeer::kViaName))
        << nginx.accessLog().toStdString();
}

TEST_F(DownloadCommandTest, BadArgumentsExitWithTwo) {
    const RunResult r = run({u"--slots"_s, u"9"_s, u"http://127.0.0.1:1/a.pdf"_s});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(u"--slots must be a number from 1 to 6"_s)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"usage: mojing download"_s));
}

TEST_F(DownloadCommandTest, BrokenOffDownloadResumesWhereItStopped) {
    // nginx serves the file slowly, with byte ranges and an ETag; it goes away while the file
    // arrives and comes back before the automatic retry.
    const QByteArray big = randomBytes(600000, 15);
    nginx.putFile(u"slow/big.bin"_s, big);
    ASSERT_TRUE(nginx.start(u"300k"_s)) << nginx.errorText().toStdString();
    const auto rangeAnswers = [&] {
        int n = 0;
        for (const QString& line : nginx.accessLog().split(u'\n'))
            n += line.startsWith(u"/slow/big.bin|"_s) && line.endsWith(u"|206"_s) ? 1 : 0;
        return n;
    };
    for (const QString& method : {u"1"_s, u"2"_s}) {
        const int rangesBefore = rangeAnswers();
        SCOPED_TRACE(method.toStdString());
        QDir(out).removeRecursively();
        const RunResult r =
            run({u"--method"_s, method, u"--auto-retry"_s, u"--pause"_s, u"1"_s, u"--folder"_s, out,
                 nginx.url(u"slow/big.bin"_s)},
                [&](QProcess& p) {
                    const auto partSize = [&] {
                        qint64 size = 0;
                        for (const QFileInfo& f :
                             QDir(out).entryInfoList({u".mojing-*.part"_s}, QDir::Files | QDir::Hidden))
                            size = std::max(size, f.size());
                        return size;
                    };
                    for (int i = 0; i < 100 && partSize() < 150000; ++i)
                        p.waitForFinished(50);
                    nginx.stop();
                    // The broken-off part is kept (beside, never under, the file's name).
                    for (int i = 0;
                         i < 100 &&
                         QDir(out).entryList({u".mojing-*.resume"_s}, QDir::Files | QDir::Hidden).isEmpty();
                         ++i)
                        p.waitForFinished(20);
                    EXPECT_FALSE(QFile::exists(out + u"/big.bin"_s));
                    ASSERT_TRUE(nginx.restart()) << nginx.errorText().toStdString();
                });
        EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(fileContent(out + u"/big.bin"_s) == big) << "not the server's file";
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{u"big.bin"_s});
        // nginx logs a request once it has finished it, which can be a moment after the program
        // has every byte and has ended.
        EventPump().waitUntil([&] { return rangeAnswers() > rangesBefore; }, std::chrono::milliseconds(3000));
        EXPECT_EQ(rangeAnswers(), rangesBefore + 1) << nginx.accessLog().toStdString();
    }
}

TEST_F(DownloadCommandTest, ManifestRecordsEveryRowThatEnded) {
    const QByteArray a = pdfBytes(5000, 16), b = pdfBytes(7000, 17);
    nginx.putFile(u"a.pdf"_s, a);
    nginx.putFile(u"b.pdf"_s, b);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    const QString manifest = home.filePath(u"manifest.tsv"_s);
    QFile earlier(manifest);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier run\n");
    earlier.close();
    const RunResult r =
        run({u"--slots"_s, u"1"_s, u"--manifest"_s, manifest, u"--folder"_s, out, nginx.url(u"a.pdf"_s),
             nginx.url(u"redirect/b.pdf"_s), nginx.url(u"gone.pdf"_s)});
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
    const QStringList lines = QString::fromUtf8(fileContent(manifest)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << "appended: " << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], u"an earlier run"_s);
    const auto sha = [](const QByteArray& bytes) {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    };
    const struct {
        QString requested, final, status, type, bytes, sha256, path;
    } expected[] = {
        {nginx.url(u"a.pdf"_s), nginx.url(u"a.pdf"_s), u"200"_s, u"application/pdf"_s,
         QString::number(a.size()), sha(a), out + u"/a.pdf"_s},
        {nginx.url(u"redirect/b.pdf"_s), nginx.url(u"b.pdf"_s), u"200"_s, u"application/pdf"_s,
         QString::number(b.size()), sha(b), out + u"/b.pdf"_s},
        {nginx.url(u"gone.pdf"_s), nginx.url(u"gone.pdf"_s), u"404"_s, u"text/html"_s, QString(), QString(),
         out + u"/gone.htm"_s},
    };
    for (int i = 0; i < 3; ++i) {
        const QStringList cells = lines[i + 1].split(u'\t');
        ASSERT_EQ(cells.size(), 11) << lines[i + 1].toStdString();
        EXPECT_TRUE(QDateTime::fromString(cells[0], Qt::ISODate).isValid()) << cells[0].toStdString();
        EXPECT_EQ(cells[1], u"3"_s);
        EXPECT_EQ(cells[2], expected[i].requested);
        EXPECT_EQ(cells[3], expected[i].final);
        EXPECT_EQ(cells[4], expected[i].status);
        EXPECT_EQ(cells[5], expected[i].type);
        if (!expected[i].bytes.isNull()) {
            EXPECT_EQ(cells[6], expected[i].bytes);
        }
        if (!expected[i].sha256.isNull()) {
            EXPECT_EQ(cells[7], expected[i].sha256);
        } else {
            EXPECT_EQ(cells[7], sha(fileContent(cells[8]))) << "the error page that was kept";
        }
        EXPECT_EQ(cells[8], expected[i].path);
        EXPECT_EQ(cells[9], QString()) << "no DOI known";
        EXPECT_EQ(cells[10], QFileInfo(expected[i].path).completeBaseName()) << "the row's name as its title";
    }
}

// The download window's saved list, run from the command line with a naming template: files named
// after their articles with either method (the second run into the same folder meets the first
// run's files), references of the files that arrived, and the DOI and title in the manifest.
TEST_F(DownloadCommandTest, NamingTemplateAndReferencesOfTheFilesThatArrived) {
    const QByteArray a = pdfBytes(4000, 30), b = pdfBytes(5000, 31), d = pdfBytes(6000, 32);
    nginx.putFile(u"a.pdf"_s, a);
    nginx.putFile(u"b.pdf"_s, b);
    nginx.putFile(u"d.pdf"_s, d);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    auto row = [&](const QString& file, const QString& title, const QStringList& authors,
                   const QString& doi) {
        DownloadRow r;
        r.key = nginx.url(file);
        r.name = QFileInfo(file).completeBaseName();
        r.type = u"pdf"_s;
        r.article.title = title;
        r.article.authors = authors;
        r.article.year = title.isEmpty() ? QString() : u"2019"_s;
        r.article.journal = title.isEmpty() ? QString() : u"Journal of Tests"_s;
        r.article.doi = doi;
        r.article.articlePage = doi.isEmpty() ? QString() : u"https://doi.example/"_s + doi;
        return r;
    };
    DownloadRow harvested = row(u"d.pdf"_s, {}, {}, {});
    harvested.name = u"Harvested title"_s;
    const std::vector<DownloadRow> rows = {
        row(u"a.pdf"_s, u"Deep nets: a {study} of 50% & more"_s, {u"John Smith"_s, u"Lee, Ann"_s},
            u"10.1000/a/1"_s),
        row(u"b.pdf"_s, u"深度学习研究"_s, {u"王小明"_s}, u"10.1000/b"_s),
        row(u"gone.pdf"_s, u"Missing paper"_s, {u"Kim, Min"_s}, u"10.1000/c"_s),
        harvested,
    };
    const QString list = home.filePath(u"DownloadList.tsv"_s);
    QFile listFile(list);
    ASSERT_TRUE(listFile.open(QIODevice::WriteOnly));
    listFile.write(DownloadListStore::serialize(rows) + "1\ta row that cannot be read\n");
    listFile.close();

    const QString smith = u"Smith 2019 Deep nets a {study} of 50% & more"_s;
    const QString wang = u"王 2019 深度学习研究"_s;
    for (const auto& [method, counter] : {std::pair{u"2"_s, QString()}, std::pair{u"1"_s, u"[001]"_s}}) {
        SCOPED_TRACE(method.toStdString());
        const QString bib = home.filePath(u"refs"_s + method + u".bib"_s);
        const QString ris = home.filePath(u"refs"_s + method + u".ris"_s);
        const QString manifest = home.filePath(u"manifest"_s + method);
        const RunResult r =
            run({u"--method"_s, method, u"--naming"_s, u"{author} {year} {title}"_s, u"--bibtex"_s, bib,
                 u"--ris"_s, ris, u"--manifest"_s, manifest, u"--folder"_s, out, u"--list"_s, list});
        EXPECT_EQ(r.exitCode, 1) << "one file is missing\n" << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"skipped 1 row(s) of the saved list that could not be read"_s))
            << r.err.toStdString();
        const QStringList files = {out + u'/' + smith + counter + u".pdf"_s,
                                   out + u'/' + wang + counter + u".pdf"_s,
                                   out + u"/Harvested title"_s + counter + u".pdf"_s};
        EXPECT_EQ(fileContent(files[0]), a);
        EXPECT_EQ(fileContent(files[1]), b);
        EXPECT_EQ(fileContent(files[2]), d) << "a row without metadata keeps its name";

        const QString bibText = QString::fromUtf8(fileContent(bib));
        EXPECT_EQ(bibText.count(u"@article{"_s), 3) << bibText.toStdString();
        for (const QString& file : files)
            EXPECT_TRUE(bibText.contains(u"file = {:"_s + file + u":PDF}"_s)) << bibText.toStdString();
        EXPECT_TRUE(bibText.contains(u"@article{smith2019deep,"_s)) << bibText.toStdString();
        EXPECT_FALSE(bibText.contains(u"Missing paper"_s)) << "only files that arrived";
        const QString risText = QString::fromUtf8(fileContent(ris));
        EXPECT_EQ(risText.count(u"TY  - JOUR\r\n"_s), 3) << risText.toStdString();
        EXPECT_TRUE(risText.contains(u"DO  - 10.1000/a/1\r\n"_s)) << risText.toStdString();
        EXPECT_TRUE(
            risText.contains(u"L1  - "_s + QUrl::fromLocalFile(files[1]).toString(QUrl::FullyEncoded)))
            << risText.toStdString();

        const QStringList lines = QString::fromUtf8(fileContent(manifest)).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 4);
        QStringList tails;
        for (const QString& line : lines)
            tails << line.section(u'\t', 9);
        EXPECT_TRUE(tails.contains(u"10.1000/a/1\tDeep nets: a {study} of 50% & more"_s))
            << tails.join(u'|').toStdString();
        EXPECT_TRUE(tails.contains(u"\tHarvested title"_s)) << tails.join(u'|').toStdString();

        const QString pandoc = QStandardPaths::findExecutable(u"pandoc"_s);
        if (pandoc.isEmpty()) {
            ADD_FAILURE()
                << "pandoc is not installed (scripts/deps.sh installs it): the BibTeX is not read back";
            continue;
        }
        QProcess reader;
        reader.start(pandoc, {u"-f"_s, u"bibtex"_s, u"-t"_s, u"csljson"_s, bib});
        ASSERT_TRUE(reader.waitForFinished(60000));
        QStringList titles;
        for (const QJsonValue& item : QJsonDocument::fromJson(reader.readAllStandardOutput()).array())
            titles << item[u"title"_s].toString();
        titles.sort();
        EXPECT_EQ(titles, (QStringList{rows[0].article.title, u"Harvested title"_s, rows[1].article.title}));
    }
}

TEST_F(DownloadCommandTest, KilledRunKeepsTheManifestLinesOfFinishedRows) {
    const QByteArray a = pdfBytes(3000, 18);
    nginx.putFile(u"a.pdf"_s, a);
    nginx.putFile(u"slow/big.pdf"_s, pdfBytes(400000, 19));
    ASSERT_TRUE(nginx.start(u"20k"_s)) << nginx.errorText().toStdString();
    const QString manifest = home.filePath(u"manifest.tsv"_s);
    run({u"--slots"_s, u"1"_s, u"--manifest"_s, manifest, u"--folder"_s, out, nginx.url(u"a.pdf"_s),
         nginx.url(u"slow/big.pdf"_s)},
        [&](QProcess& p) {
            for (int i = 0; i < 100 && !fileContent(manifest).endsWith('\n'); ++i)
                p.waitForFinished(50);
            p.kill(); // no chance to write anything more
        });
    const QStringList lines = QString::fromUtf8(fileContent(manifest)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    const QStringList cells = lines[0].split(u'\t');
    ASSERT_EQ(cells.size(), 11);
    EXPECT_EQ(cells[2], nginx.url(u"a.pdf"_s));
    EXPECT_EQ(cells[7], QString::fromLatin1(QCryptographicHash::hash(a, QCryptographicHash::Sha256).toHex()));
}

TEST_F(DownloadCommandTest, ServerAskingForAPauseHoldsItsHostOnly) {
    // The fault server asks for a pause of one second, then serves; nginx is another host.
    const QByteArray a = pdfBytes(3000, 20), b = pdfBytes(3000, 21);
    nginx.putFile(u"b.pdf"_s, b);
    ASSERT_TRUE(nginx.start()) << nginx.errorText().toStdString();
    FaultServer busy;
    FaultServer::Reply pause = FaultServer::ok("<html>later</html>", "text/html");
    pause.status = 429;
    pause.reason = "Too Many Requests";
    pause.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("1")));
    busy.routeSequence(u"/a.pdf"_s, {pause, FaultServer::ok(a)});
    busy.route(u"/c.pdf"_s, FaultServer::ok(a));
    for (const QString& method : {u"1"_s, u"2"_s}) {
        SCOPED_TRACE(method.toStdString());
        QDir(out).removeRecursively();
        busy.routeSequence(u"/a.pdf"_s, {pause, FaultServer::ok(a)});
        const qsizetype before = busy.requests().size();
        const QString manifest = home.filePath(u"manifest"_s + method);
        const RunResult r = runDownloadServing(
            home, {u"--method"_s, method, u"--slots"_s, u"1"_s, u"--auto-retry"_s, u"--manifest"_s, manifest,
                   u"--folder"_s, out, busy.url(u"/a.pdf"_s), busy.url(u"/c.pdf"_s), nginx.url(u"b.pdf"_s)});
        EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(u"failed\ta.pdf\t服务器要求暂停下载"_s)) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(u"127.0.0.1:"_s + QString::number(busy.port()) +
                                   u" asked for a pause; its rows wait 1 s"_s))
            << r.err.toStdString();
        EXPECT_EQ(fileContent(out + u"/a.pdf"_s), a);
        EXPECT_EQ(fileContent(out + u"/b.pdf"_s), b);
        const QList<FaultServer::Request> requests = busy.requests().mid(before);
        ASSERT_EQ(requests.size(), 3);
        EXPECT_EQ(requests[0].path(), QByteArray("/a.pdf"));
        // Nothing more goes to the resting host before its second is over, whatever comes next.
        EXPECT_GE(requests[1].atMs - requests[0].atMs, 1000) << requests[1].path().toStdString();
        EXPECT_GE(requests[2].atMs - requests[0].atMs, 1000) << requests[2].path().toStdString();
        // The other host went on meanwhile: its file ended right after the pause request.
        QStringList ended;
        for (const QString& line : QString::fromUtf8(fileContent(manifest)).split(u'\n', Qt::SkipEmptyParts))
            ended << line.section(u'\t', 2, 2).section(u'/', -1) + u':' + line.section(u'\t', 4, 4);
        ASSERT_EQ(ended.size(), 4) << ended.join(u' ').toStdString();
        EXPECT_EQ(ended.mid(0, 2), (QStringList{u"a.pdf:429"_s, u"b.pdf:200"_s}));
    }
}

// DOIs and article pages, from the arguments or a list, are resolved to their PDFs before the
// downloads start; the PDFs are only given to readers coming from their article page.
TEST(DownloadCommandArticles, DoisAndArticlePagesBringTheirPdfsNamedByTitle) {
    QTemporaryDir home;
    const QString out = home.filePath(u"out"_s);
    FaultServer site;
    QHash<QString, QByteArray> pdfs;
    auto publish = [&](const QString& id, const QString& title) {
        const QString page = u"/article/"_s + id;
        pdfs.insert(id, pdfBytes(4000, quint32(pdfs.size() + 30)));
        site.route(u"/doi/10.5555/"_s + id, FaultServer::redirect(site.url(page).toUtf8()));
        site.route(page, articlePageReply(articlePageHtml(title, u"/pdf/"_s + id)));
        const QByteArray pdf = pdfs.value(id);
        site.routeHandler(u"/pdf/"_s + id, [&site, page, pdf](const FaultServer::Request& request) {
            FaultServer::Reply refused = FaultServer::ok("<html>come from the article</html>", "text/html");
            refused.status = 403;
            refused.reason = "Forbidden";
            return request.header("Referer") == site.url(page).toUtf8() ? FaultServer::ok(pdf) : refused;
        });
    };
    publish(u"one"_s, u"Title: One"_s);
    publish(u"two"_s, u"Title Two"_s);
    publish(u"three"_s, u"Title Three"_s);
    const QString list = home.filePath(u"list.tsv"_s);
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("doi:10.5555/one\n" + site.url(u"/article/two"_s).toUtf8() + "\tmy own name\n10.5555/gone\n");
    f.close();
    const QString manifest = home.filePath(u"manifest.tsv"_s);
    for (const QStringList& inputs : {QStringList{u"--list"_s, list}, QStringList{u"10.5555/three"_s}}) {
        SCOPED_TRACE(inputs.join(u' ').toStdString());
        for (const QString& method : {u"2"_s, u"1"_s}) {
            QDir(out).removeRecursively();
            QFile::remove(manifest);
            const RunResult r = runDownloadServing(home, QStringList{u"--method"_s, method, u"--folder"_s,
                                                                     out, u"--manifest"_s, manifest,
                                                                     u"--resolver"_s, site.url(u"/doi/"_s)} +
                                                             inputs);
            const QStringList lines =
                QString::fromUtf8(fileContent(manifest)).split(u'\n', Qt::SkipEmptyParts);
            if (inputs.size() == 1) {
                EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
                EXPECT_EQ(fileContent(out + u"/Title Three.pdf"_s), pdfs.value(u"three"_s));
                ASSERT_EQ(lines.size(), 1);
                EXPECT_EQ(lines[0].section(u'\t', 2, 2), u"10.5555/three"_s) << "the input is what was asked";
                continue;
            }
            EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
            EXPECT_EQ(fileContent(out + u"/Title One.pdf"_s), pdfs.value(u"one"_s));
            EXPECT_EQ(fileContent(out + u"/my own name.pdf"_s), pdfs.value(u"two"_s));
            const QList<QStringList> rows = r.rows();
            ASSERT_EQ(rows.size(), 3) << r.out.toStdString();
            EXPECT_EQ(rows[2][0], u"4"_s);
            EXPECT_EQ(rows[2][3], u"DOI无法解析"_s);
            EXPECT_TRUE(r.err.contains(u"DOI无法解析: 10.5555/gone"_s)) << r.err.toStdString();
            QStringList requested;
            for (const QString& line : lines)
                requested << line.section(u'\t', 2, 2);
            requested.sort();
            EXPECT_EQ(requested,
                      (QStringList{u"10.5555/gone"_s, u"doi:10.5555/one"_s, site.url(u"/article/two"_s)}));
        }
    }
}

} // namespace
