#include "DemoPlatformServer.h"
#include "ProfileCache.h"
#include "fakes/FakePrompts.h"
#include "platform/EventPump.h"
#include "support/QtPrinters.h"
#include "tools/CacheEntryFile.h"
#include "tools/CacheLocations.h"
#include "tools/CacheToolController.h"
#include "tools/TextTableModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// A page of a profile whose disk cache lies in a temporary folder.
class CachedBrowsing : public ::testing::Test {
protected:
    CachedBrowsing() {
        profile.setCachePath(dir.filePath(u"profile"_s));
        profile.setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        QObject::connect(page, &QWebEnginePage::loadFinished, page, [this](bool ok) { loads << ok; });
    }
    ~CachedBrowsing() override { delete page; } // pages go before their profile

    bool load(const QUrl& url) {
        const qsizetype before = loads.size();
        page->setUrl(url);
        return pump.waitUntil([&] { return loads.size() > before; }, 20000ms) && loads.last();
    }
    QStringList listedAddresses() {
        tool.listMine();
        QStringList addresses;
        for (int r = 0; r < tool.entries()->rowCount(); ++r)
            addresses << tool.entries()->text(r, CacheToolController::UrlColumn);
        return addresses;
    }
    // Waits until the engine has written the entry of `url` to disk.
    bool cached(const QUrl& url) {
        return pump.waitUntil([&] { return listedAddresses().contains(url.toString()); }, 10000ms);
    }

    EventPump pump;
    QTemporaryDir dir;
    DemoPlatformServer demo;
    QWebEngineProfile profile{u"cachetest"_s};
    QWebEnginePage* page = new QWebEnginePage(&profile);
    QList<bool> loads;
    FakePrompts prompts;
    ProfileCache engine{&profile};
    CacheToolController tool{prompts, CacheLocations{dir.filePath(u"profile/Cache"_s), {}, {}, u"none"_s},
                             &engine};
};

TEST_F(CachedBrowsing, ListsWhatTheEngineCachedAndStillBrowsesAfterAClear) {
    ASSERT_EQ(ProfileCache::httpCacheFolder(profile), tool.locations().currentUserFolder);
    ASSERT_TRUE(demo.start());
    const QUrl results = demo.searchUrl(u"soil"_s, 0);
    const QUrl icon = demo.baseUrl().resolved(QUrl(u"/images/access_free.gif"_s));
    ASSERT_TRUE(load(demo.homeUrl()));
    ASSERT_TRUE(load(results));
    ASSERT_TRUE(cached(results));
    ASSERT_TRUE(cached(icon));

    const TextTableModel& rows = *tool.entries();
    for (int r = 0; r < rows.rowCount(); ++r) {
        const QString path = rows.text(r, CacheToolController::PathColumn);
        EXPECT_TRUE(path.startsWith(dir.path())) << path.toStdString();
        EXPECT_EQ(rows.text(r, CacheToolController::SizeColumn), QString::number(QFileInfo(path).size()));
        if (rows.text(r, CacheToolController::UrlColumn) == icon.toString())
            EXPECT_EQ(rows.text(r, CacheToolController::TypeColumn), u"gif"_s);
    }
    EXPECT_EQ(tool.countText(), u"共有%1 个文件"_s.arg(rows.rowCount()));

    // What must survive a clear: an entry whose address names a cookie, and a text file.
    const QString folder = QFileInfo(rows.text(0, CacheToolController::PathColumn)).absolutePath();
    QByteArray cookieEntry(24, '\0');
    const QByteArray key = "1/0/http://127.0.0.1/Cookie-consent";
    qToLittleEndian<quint64>(0xfcfb6d1ba7725c30ULL, cookieEntry.data());
    qToLittleEndian<quint32>(quint32(key.size()), cookieEntry.data() + 12);
    QFile cookie(folder + u"/00000000000000ce_0"_s);
    ASSERT_TRUE(cookie.open(QIODevice::WriteOnly));
    cookie.write(cookieEntry + key);
    cookie.close();
    QFile notes(folder + u"/notes.txt"_s);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();

    tool.clearBrowserCache(true);
    EXPECT_EQ(prompts.messages(), QStringList{u"IE缓存清空完毕！"_s});
    EXPECT_EQ(listedAddresses(), QStringList{u"http://127.0.0.1/Cookie-consent"_s});
    EXPECT_TRUE(QFile::exists(notes.fileName()));

    // The running engine goes on loading pages and caching them.
    const QUrl article = demo.baseUrl().resolved(QUrl(u"/doi/full/10.5555/demo.2"_s));
    EXPECT_TRUE(load(article));
    EXPECT_TRUE(load(results));
    EXPECT_TRUE(cached(article));

    // With nothing to spare, every entry file goes while the engine runs; its data folder stays,
    // and the engine, taking the missing files for entries it lacks, loads and caches anew.
    QFile::remove(cookie.fileName());
    QFile::remove(notes.fileName());
    tool.clearBrowserCache(false);
    EXPECT_TRUE(QFileInfo::exists(folder));
    EXPECT_TRUE(listedAddresses().isEmpty());
    EXPECT_TRUE(load(demo.homeUrl()));
    EXPECT_TRUE(load(article));
    EXPECT_TRUE(cached(demo.homeUrl()));
}

// The command line finds the cache where the program's browser profile keeps it.
TEST(BrowserCacheLocation, MatchesTheProgramsProfile) {
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(u"mojing"_s);
    {
        QWebEngineProfile profile(u"mojing"_s);
        EXPECT_EQ(ProfileCache::httpCacheFolder(profile), CacheLocations::defaultCurrentUserFolder());
    }
    QCoreApplication::setApplicationName(name);
}

} // namespace
