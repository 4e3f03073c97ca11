#include "CookieBridge.h"
#include "platform/EventPump.h"
#include "support/FaultServer.h"
#include "transfer/InetControl.h"
#include "transfer/NetworkLayer.h"
#include "transfer/SharedCookieJar.h"

#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

bool jarHas(SharedCookieJar& jar, const QByteArray& name) {
    for (const QNetworkCookie& c : jar.cookies()) {
        if (c.name() == name)
            return true;
    }
    return false;
}

// A login in a browser authorises downloads; a cookie a download receives reaches the browsers.
TEST(CookieBridge, CookiesCrossBothWays) {
    EventPump pump;
    QWebEngineProfile profile; // off the record: nothing touches the user's cookies
    NetworkLayer network;
    CookieBridge bridge(profile.cookieStore(), network.cookieJar());
    // The store works once the profile's network context runs, which a first page starts.
    auto* page = new QWebEnginePage(&profile);
    bool loaded = false;
    QObject::connect(page, &QWebEnginePage::loadFinished, page, [&] { loaded = true; });
    page->setUrl(QUrl(u"about:blank"_s));
    pump.waitUntil([&] { return loaded; }, 20000ms);
    FaultServer server;
    FaultServer::Reply setter = FaultServer::ok("x");
    setter.headers.append(qMakePair(QByteArray("Set-Cookie"), QByteArray("fromDownload=1; Path=/")));
    server.route(u"/set"_s, setter);
    server.route(u"/check"_s, FaultServer::ok("y"));

    QList<QByteArray> seenByBrowser;
    QObject::connect(profile.cookieStore(), &QWebEngineCookieStore::cookieAdded, &profile,
                     [&](const QNetworkCookie& c) { seenByBrowser << c.name(); });

    // Browser -> downloads.
    QNetworkCookie login("login", "ok");
    login.setPath(u"/"_s);
    profile.cookieStore()->setCookie(login, QUrl(server.origin() + u"/"_s));
    ASSERT_TRUE(pump.waitUntil([&] { return jarHas(network.cookieJar(), "login"); }, 10000ms));
    InetControl inet(network);
    int fetched = 0;
    QObject::connect(&inet, &InetControl::openUrlFinished, &inet, [&] { ++fetched; });
    inet.openUrl(server.url(u"/check"_s));
    ASSERT_TRUE(pump.waitUntil([&] { return fetched == 1; }, 5000ms));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests().at(0).header("Cookie").contains("login=ok"));

    // Downloads -> browser.
    inet.openUrl(server.url(u"/set"_s));
    EXPECT_TRUE(pump.waitUntil([&] { return seenByBrowser.contains("fromDownload"); }, 10000ms));
    delete page; // pages go before their profile
}

} // namespace
