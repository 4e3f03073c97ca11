#include "transfer/HttpRequestControl.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/HttpStatusTexts.h"
#include "transfer/NetworkLayer.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// The control's events in the order they came; OnReadyStateChange is counted, not listed.
struct EventLog {
    explicit EventLog(HttpRequestControl& http) {
        QObject::connect(&http, &HttpRequestControl::dataArrived, &http, [this] { events << u"arrived"_s; });
        QObject::connect(&http, &HttpRequestControl::dataError, &http,
                         [this](const QString& text) { events << u"error:"_s + text; });
        QObject::connect(&http, &HttpRequestControl::readyStateChanged, &http, [this] { ++ticks; });
    }
    QStringList events;
    int ticks = 0;
};

class HttpRequestControlTest : public ::testing::Test {
protected:
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void put(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }

    TestContext t{1.0}; // the 10 ms poll as it is
    NetworkLayer network;
    FaultServer server;
    HttpRequestControl http{network, t.timing};
    EventLog log{http};
};

TEST_F(HttpRequestControlTest, AnswersAndSaving) {
    FaultServer::Reply empty = FaultServer::ok({});
    FaultServer::Reply odd;
    odd.raw = "HTTP/1.1 799 Odd\r\nContent-Length: 2\r\nConnection: close\r\n\r\nzz";
    FaultServer::Reply gbk = FaultServer::ok("\xd6\xd0\xce\xc4", "text/plain; charset=GBK");
    server.route(u"/doc.pdf"_s, FaultServer::ok("%PDF-new"));
    server.route(u"/empty"_s, empty);
    server.route(u"/odd"_s, odd);
    server.route(u"/gbk"_s, gbk);
    server.route(u"/moved"_s, FaultServer::redirect("/doc.pdf"));
    struct Case {
        const char* name;
        QString method;
        QString path;
        QByteArray existing; // bytes at the save path before the request
        QStringList events;
        int status;
        QByteArray savedAfter;
        QString text;
    } cases[] = {
        {"200 replaces an existing file",
         u"get"_s,
         u"/doc.pdf"_s,
         "old",
         {u"arrived"_s},
         200,
         "%PDF-new",
         u"%PDF-new"_s},
        {"200 creates the file", u"GET"_s, u"/doc.pdf"_s, {}, {u"arrived"_s}, 200, "%PDF-new", u"%PDF-new"_s},
        {"200 without a body writes nothing",
         u"get"_s,
         u"/empty"_s,
         {},
         {u"arrived"_s},
         200,
         "<missing>",
         {}},
        {"200 without a body keeps the old file",
         u"get"_s,
         u"/empty"_s,
         "old",
         {u"arrived"_s},
         200,
         "old",
         {}},
        {"404 leaves the save path alone",
         u"get"_s,
         u"/missing"_s,
         "old",
         {u"error:没有发现文件?查询或URl"_s},
         404,
         "old",
         u"<html><head><title>404</title></head><body>not found</body></html>"_s},
        {"a redirect ends in the file",
         u"get"_s,
         u"/moved"_s,
         {},
         {u"arrived"_s},
         200,
         "%PDF-new",
         u"%PDF-new"_s},
        {"a status beyond the table raises nothing", u"get"_s, u"/odd"_s, {}, {}, 799, "<missing>", u"zz"_s},
        {"text in the answer's charset",
         u"get"_s,
         u"/gbk"_s,
         {},
         {u"arrived"_s},
         200,
         "\xd6\xd0\xce\xc4",
         u"中文"_s},
    };
    int i = 0;
    for (const Case& c : cases) {
        for (const bool saving : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (saving ? " (saved)" : " (not saved)"));
            const QString save = t.path(u"save"_s + QString::number(i++));
            if (!c.existing.isNull())
                put(save, c.existing);
            log.events.clear();
            ASSERT_TRUE(http.open(c.method, server.url(c.path), saving ? save : QString()));
            EXPECT_FALSE(http.downOk());
            EXPECT_EQ(http.readyState(), 1);
            http.send();
            ASSERT_TRUE(t.pump.waitUntil([&] { return http.downOk(); }, 5000ms));
            t.pump.sleepFor(30ms); // no second event follows
            EXPECT_EQ(log.events, c.events);
            EXPECT_EQ(http.readyState(), 4);
            EXPECT_EQ(http.status(), c.status);
            if (saving) {
                EXPECT_EQ(read(save), c.savedAfter);
                // A saved answer went to the file as it came, not into memory.
                EXPECT_EQ(http.responseText(), c.status == 200 ? QString() : c.text);
            } else {
                EXPECT_EQ(read(save), c.existing.isNull() ? QByteArray("<missing>") : c.existing);
                EXPECT_EQ(http.responseText(), c.text);
            }
            EXPECT_EQ(QDir(t.dir.path()).entryList({u".mojing-*"_s}, QDir::Files | QDir::Hidden),
                      QStringList());
        }
    }
    EXPECT_GT(log.ticks, 0);
}

TEST_F(HttpRequestControlTest, RequestAsOpenedAndAnswerAsReceived) {
    FaultServer::Reply r = FaultServer::ok("created", "text/plain");
    r.status = 201;
    r.reason = "Created";
    r.headers.append(qMakePair(QByteArray("X-Thing"), QByteArray("yes")));
    server.route(u"/post"_s, r);
    ASSERT_TRUE(http.open(u"post"_s, server.url(u"/post"_s)));
    http.setRequestHeader(u"X-Token"_s, u"abc"_s);
    http.send("a=1");
    ASSERT_TRUE(t.pump.waitUntil([&] { return http.downOk(); }, 5000ms));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().at(0).method, QByteArray("POST"));
    EXPECT_EQ(server.requests().at(0).header("X-Token"), QByteArray("abc"));
    EXPECT_EQ(server.requests().at(0).header("Content-Length"), QByteArray("3"));
    EXPECT_EQ(log.events, QStringList{u"error:提示知道新文件的URL"_s});
    EXPECT_EQ(http.statusText(), u"Created"_s);
    EXPECT_EQ(http.responseHeader(u"x-thing"_s), u"yes"_s);
    EXPECT_TRUE(http.allResponseHeaders().contains(u"X-Thing: yes\r\n"_s));
    EXPECT_EQ(http.responseBody(), QByteArray("created"));

    // Sending again needs a new open(): the first answer is neither raised again nor added to.
    http.send("b=2");
    t.pump.sleepFor(50ms);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(log.events.size(), 1);
    EXPECT_EQ(http.responseBody(), QByteArray("created"));

    // A HEAD answer announces a body it never sends; the request still completes.
    ASSERT_TRUE(http.open(u"head"_s, server.url(u"/post"_s)));
    http.send();
    ASSERT_TRUE(t.pump.waitUntil([&] { return http.downOk(); }, 5000ms));
    EXPECT_EQ(server.requests().last().method, QByteArray("HEAD"));
    EXPECT_TRUE(http.responseBody().isEmpty());
}

TEST_F(HttpRequestControlTest, AbortRaisesNothingMore) {
    FaultServer::Reply stall = FaultServer::ok(QByteArray(1000, 'x'));
    stall.stallAfter = 10;
    server.route(u"/stall"_s, stall);
    ASSERT_TRUE(http.open(u"get"_s, server.url(u"/stall"_s), t.path(u"s"_s)));
    http.send();
    ASSERT_TRUE(t.pump.waitUntil([&] { return log.ticks >= 3 && http.readyState() >= 2; }, 5000ms));
    http.abort();
    const int ticks = log.ticks;
    t.pump.sleepFor(50ms);
    EXPECT_EQ(log.ticks, ticks);
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_FALSE(http.downOk());
    EXPECT_FALSE(QFile::exists(t.path(u"s"_s)));
}

TEST_F(HttpRequestControlTest, NoAnswerAndBadAddresses) {
    // A port nobody listens on: status 0, whose description is empty.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    ASSERT_TRUE(http.open(u"get"_s, u"http://127.0.0.1:%1/x"_s.arg(port)));
    http.send();
    ASSERT_TRUE(t.pump.waitUntil([&] { return http.downOk(); }, 5000ms));
    EXPECT_EQ(log.events, QStringList{u"error:"_s});
    EXPECT_EQ(http.status(), 0);

    for (const QString& bad :
         {u"not an address"_s, u"ftp://127.0.0.1/x"_s, u"file:///etc/passwd"_s, QString()}) {
        EXPECT_FALSE(http.open(u"get"_s, bad)) << bad.toStdString();
        http.send(); // ignored
        EXPECT_EQ(http.readyState(), 0);
    }
    t.pump.sleepFor(30ms);
    EXPECT_EQ(log.events.size(), 1);
}

TEST(HttpStatusTexts, EdgesOfTheTable) {
    EXPECT_EQ(HttpStatusTexts::describe(200), u"交易成功"_s);
    EXPECT_EQ(HttpStatusTexts::describe(505), u"服务器不支持或拒绝支请求头中指定的HTTP版本"_s);
    for (int unlisted : {0, 199, 208, 418, 506, 600, 601, -1})
        EXPECT_TRUE(HttpStatusTexts::describe(unlisted).isEmpty()) << unlisted;
}

} // namespace
