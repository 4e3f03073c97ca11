#include "CacheCommand.h"
#include "support/CliRun.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "tools/CacheLocations.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(HttpGetCommand, StatusHeadersAndExitCodes) {
    QTemporaryDir dir;
    FaultServer server;
    FaultServer::Reply pdf = FaultServer::ok("%PDF-1.4 x");
    pdf.headers.append(qMakePair(QByteArray("X-Demo"), QByteArray("1")));
    server.route(u"/a.pdf"_s, pdf);
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QString refused = u"http://127.0.0.1:%1/"_s.arg(closed.serverPort());
    closed.close();
    const QString save = dir.filePath(u"a.pdf"_s);
    struct Case {
        const char* name;
        QStringList args;
        int code;
        QString firstLine;
        QString event;
    } cases[] = {
        {"200 saved",
         {u"--save"_s, save, server.url(u"/a.pdf"_s)},
         0,
         u"status\t200\t交易成功"_s,
         u"OnDateArrived"_s},
        {"404",
         {u"--method"_s, u"get"_s, server.url(u"/nothing"_s)},
         1,
         u"status\t404\t没有发现文件?查询或URl"_s,
         u"OnDateErr\t没有发现文件?查询或URl"_s},
        {"no answer", {refused}, 1, u"status\t0\t"_s, u"OnDateErr\t"_s},
        {"with a header",
         {u"--header"_s, u"Referer: http://x/"_s, u"--method"_s, u"HEAD"_s, server.url(u"/a.pdf"_s)},
         0,
         u"status\t200\t交易成功"_s,
         u"OnDateArrived"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r = runCliCommand(u"http-get"_s, c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.out.section(u'\n', 0, 0), c.firstLine);
        EXPECT_TRUE(r.err.contains(c.event)) << r.err.toStdString();
    }
    QFile saved(save);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("%PDF-1.4 x"));
    const CliRun head = runCliCommand(u"http-get"_s, {server.url(u"/a.pdf"_s)});
    EXPECT_TRUE(head.out.contains(u"\nX-Demo: 1\n"_s)) << head.out.toStdString();
    EXPECT_EQ(server.requests().at(2).header("Referer"), QByteArray("http://x/"));
    EXPECT_EQ(server.requests().at(2).method, QByteArray("HEAD"));

    const QStringList bad[] = {{},
                               {u"--save"_s},
                               {u"--header"_s, u"NoColon"_s, server.url(u"/a"_s)},
                               {u"--bogus"_s, server.url(u"/a"_s)},
                               {server.url(u"/a"_s), server.url(u"/b"_s)},
                               {u"ftp://127.0.0.1/x"_s},
                               {u"not an address"_s}};
    for (const QStringList& args : bad)
        EXPECT_EQ(runCliCommand(u"http-get"_s, args).code, 2) << args.join(u' ').toStdString();
}

TEST(CacheCommand, ListAndClear) {
    QTemporaryDir dir;
    const CacheLocations locations{dir.filePath(u"home/me/c"_s), {dir.filePath(u"home"_s)}, {}, u"c"_s};
    QDir().mkpath(dir.filePath(u"home/me/c/Cache_Data"_s));
    QByteArray entry(24, '\0');
    const QByteArray key = "1/0/http://h/a.html";
    qToLittleEndian<quint64>(0xfcfb6d1ba7725c30ULL, entry.data());
    qToLittleEndian<quint32>(quint32(key.size()), entry.data() + 12);
    entry += key;
    const QString entryPath = dir.filePath(u"home/me/c/Cache_Data/00000000000000f1_0"_s);
    QFile f(entryPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(entry);
    f.close();

    auto run = [&](const QStringList& args) {
        CliRun r;
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        r.code = runCacheCommand(args, out, err, locations);
        return r;
    };
    CliRun r = run({u"list"_s});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, u"http://h/a.html\thtml\t43\t"_s + entryPath + u'\n');
    EXPECT_EQ(r.err, u"共有1 个文件\n"_s);
    r = run({u"list"_s, u"--all-users"_s});
    EXPECT_EQ(r.out, u"用户:me\t\t43\t"_s + entryPath + u'\n');
    for (const QStringList& bad :
         {QStringList{}, QStringList{u"list"_s, u"--x"_s}, QStringList{u"clear"_s, u"now"_s}})
        EXPECT_EQ(run(bad).code, 2);

    r = run({u"clear"_s});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, u"IE缓存清空完毕！\n"_s);
    EXPECT_FALSE(QFile::exists(entryPath));
    EXPECT_EQ(run({u"list"_s}).err, u"共有0 个文件\n"_s);
}

} // namespace
