#include "transfer/NetworkLayer.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/InetControl.h"
#include "transfer/SharedCookieJar.h"

#include <QNetworkCookie>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class NetworkLayerTest : public ::testing::Test {
public:
    QByteArray fetch(const QString& path) {
        InetControl inet(network, t.pump);
        return inet.openUrl(server.url(path), 5000ms);
    }
    TestContext t;
    NetworkLayer network;
    FaultServer server;
};

TEST_F(NetworkLayerTest, Redirects) {
    // A chain of n redirects ends at /end.
    for (int i = 0; i < 25; ++i)
        server.route(u"/r"_s + QString::number(i), FaultServer::redirect("/r" + QByteArray::number(i + 1)));
    server.route(u"/end"_s, FaultServer::ok("done"));
    server.route(u"/r20"_s, FaultServer::redirect("/end")); // /r0 .. /r20: 21 redirects
    server.route(u"/r21"_s, FaultServer::redirect("/end"));
    server.route(u"/loop"_s, FaultServer::redirect("/loop"));
    server.route(u"/ftp"_s, FaultServer::redirect("ftp://127.0.0.1/x"));
    server.route(u"/file"_s, FaultServer::redirect("file:///etc/passwd"));
    server.route(u"/rel"_s, FaultServer::redirect("end", 301));
    struct Case {
        const char* name;
        QString path;
        QByteArray body;
    } cases[] = {
        {"20 redirects are followed", u"/r1"_s, "done"},
        {"21 redirects are too many", u"/r0"_s, QByteArray()},
        {"a loop ends", u"/loop"_s, QByteArray()},
        {"ftp target refused", u"/ftp"_s, QByteArray()},
        {"file target refused", u"/file"_s, QByteArray()},
        {"relative target", u"/rel"_s, "done"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fetch(c.path), c.body) << c.name;
}

TEST_F(NetworkLayerTest, RequestHeadersAndRefusedSchemes) {
    network.setUserAgent(u"TestAgent/1.0"_s);
    server.route(u"/h"_s, FaultServer::ok("x"));
    fetch(u"/h"_s);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().at(0).header("User-Agent"), QByteArray("TestAgent/1.0"));
    EXPECT_EQ(server.requests().at(0).header("Accept-Encoding"), QByteArray("identity"));
    EXPECT_EQ(network.get(QUrl(u"file:///etc/passwd"_s)), nullptr);
    InetControl inet(network, t.pump);
    EXPECT_TRUE(inet.openUrl(u"ftp://127.0.0.1/x"_s, 1000ms).isEmpty());
    EXPECT_FALSE(inet.stillExecuting());
}

TEST_F(NetworkLayerTest, CookiesGoBothWays) {
    FaultServer::Reply setter = FaultServer::ok("x");
    setter.headers.append(qMakePair(QByteArray("Set-Cookie"), QByteArray("session=abc; Path=/")));
    server.route(u"/login"_s, setter);
    server.route(u"/next"_s, FaultServer::ok("y"));
    QList<QByteArray> reported;
    QObject::connect(&network.cookieJar(), &SharedCookieJar::cookieInserted, &network,
                     [&](const QNetworkCookie& c) { reported << c.name(); });
    fetch(u"/login"_s);
    fetch(u"/next"_s);
    EXPECT_EQ(reported, QList<QByteArray>{"session"});
    EXPECT_EQ(server.requests().at(1).header("Cookie"), QByteArray("session=abc"));

    // A cookie from the browsers is stored without being reported back.
    QNetworkCookie fromBrowser("browser", "1");
    fromBrowser.setDomain(u"127.0.0.1"_s);
    fromBrowser.setPath(u"/"_s);
    network.cookieJar().insertFromBrowser(fromBrowser);
    fetch(u"/next"_s);
    EXPECT_EQ(reported.size(), 1);
    EXPECT_TRUE(server.requests().at(2).header("Cookie").contains("browser=1"));
}

TEST_F(NetworkLayerTest, HeaderBlockAndChunks) {
    FaultServer::Reply r = FaultServer::ok("0123456789", "application/pdf");
    r.headers.append(qMakePair(QByteArray("Content-Disposition"), QByteArray("attachment; filename=a.pdf")));
    server.route(u"/a"_s, r);
    InetControl inet(network, t.pump);
    inet.execute(server.url(u"/a"_s), u"GET"_s, QString(), u"Referer: http://r/\r\n"_s);
    EXPECT_TRUE(inet.stillExecuting());
    t.pump.waitUntil([&] { return inet.headersAvailable(); }, 5000ms);
    const QString block = inet.getHeader();
    EXPECT_TRUE(block.startsWith(u"HTTP/1.1 200 OK\r\n"_s)) << block.toStdString();
    EXPECT_EQ(inet.getHeader(u"content-length"_s), u"10"_s);
    EXPECT_EQ(inet.getHeader(u"Content-Disposition"_s), u"attachment; filename=a.pdf"_s);
    QByteArray body;
    for (;;) {
        const QByteArray chunk = inet.getChunk(4, 1000ms);
        if (chunk.isEmpty() && inet.responseEnded())
            break;
        EXPECT_LE(chunk.size(), 4);
        body += chunk;
    }
    EXPECT_EQ(body, QByteArray("0123456789"));
    EXPECT_FALSE(inet.stillExecuting());
    EXPECT_EQ(server.requests().at(0).header("Referer"), QByteArray("http://r/"));
}

TEST_F(NetworkLayerTest, BadCertificateIsRefused) {
    FaultServer tls(true);
    ASSERT_TRUE(tls.tlsReady());
    tls.route(u"/a"_s, FaultServer::ok("secret"));
    InetControl inet(network, t.pump);
    EXPECT_TRUE(inet.openUrl(tls.url(u"/a"_s), 5000ms).isEmpty());
    EXPECT_TRUE(inet.getHeader().isEmpty());
    EXPECT_NE(inet.responseCode(), 0);
}

} // namespace
