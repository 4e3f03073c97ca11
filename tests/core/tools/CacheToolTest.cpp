#include "fakes/FakePrompts.h"
#include "support/QtPrinters.h"
#include "tools/CacheEntryFile.h"
#include "tools/CacheListing.h"
#include "tools/CacheLocations.h"
#include "tools/CacheToolController.h"
#include "tools/EngineCache.h"
#include "tools/TextTableModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// An entry file as the engine writes it: header, key, then the body.
QByteArray entryBytes(const QByteArray& key, const QByteArray& body = "body") {
    QByteArray header(24, '\0');
    qToLittleEndian<quint64>(0xfcfb6d1ba7725c30ULL, header.data());
    qToLittleEndian<quint32>(5, header.data() + 8);
    qToLittleEndian<quint32>(quint32(key.size()), header.data() + 12);
    return header + key + body;
}

void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

struct RunningEngine : EngineCache {
    explicit RunningEngine(QString cacheFolder) : cacheFolder(std::move(cacheFolder)) {}
    QString cacheFolder;
    QString folder() const override { return cacheFolder; }
};

TEST(ExtensionFromUrl, Table) {
    const std::pair<QString, QString> cases[] = {
        {u"http://127.0.0.1:8099/p2.html"_s, u"html"_s},
        {u"http://host/a/b/paper.PDF?download=1"_s, u"PDF"_s},
        {u"http://host/a.gif#top"_s, u"gif"_s},
        {u"http://host/"_s, QString()},
        {u"http://host/archive.backup1"_s, QString()},  // 7 characters
        {u"http://host/archive.backup"_s, u"backup"_s}, // 6
        {u"http://127.0.0.1:8099"_s, u"1"_s},           // cut at ':' leaves the address
        {u"http://a/x.js?u=http://b/y.css"_s, u"js"_s}, // only up to a second "://"
        {u"/home/u/.cache/x/notes.TXT"_s, u"TXT"_s},
        {u"C:\\cache\\file.htm"_s, u"htm"_s},
        {u"http://host/page.php?x=a.pdf"_s, u"php"_s},
        {u"http://host/dir.v2/file"_s, QString()},
        {u"http://host/a. txt "_s, u"txt"_s},
    };
    for (const auto& [text, extension] : cases)
        EXPECT_EQ(CacheListing::extensionFromUrl(text), extension) << text.toStdString();
}

TEST(CacheEntryFile, KeysAndAddresses) {
    const std::pair<QString, QString> keys[] = {
        {u"1/0/http://127.0.0.1:8099/p2.html"_s, u"http://127.0.0.1:8099/p2.html"_s},
        {u"1/0/_dk_http://a.org http://a.org http://b.org/x.png"_s, u"http://b.org/x.png"_s},
        {u"http://plain/"_s, u"http://plain/"_s},
    };
    for (const auto& [key, address] : keys)
        EXPECT_EQ(CacheEntryFile::addressFromKey(key), address) << key.toStdString();

    QTemporaryDir dir;
    const QByteArray good = entryBytes("1/0/http://h/a.html");
    QByteArray badMagic = good;
    badMagic[0] = 'x';
    QByteArray overlong = good;
    qToLittleEndian<quint32>(100000, overlong.data() + 12);
    struct Case {
        const char* name;
        QString file;
        QByteArray bytes;
        CacheEntryFile::Result result;
    } cases[] = {
        {"entry", u"0123456789abcdef_0"_s, good, CacheEntryFile::Result::Entry},
        {"wrong magic", u"0123456789abcdee_0"_s, badMagic, CacheEntryFile::Result::Unreadable},
        {"key longer than the file", u"0123456789abcded_0"_s, overlong, CacheEntryFile::Result::Unreadable},
        {"cut inside the header", u"0123456789abcdec_0"_s, good.left(20), CacheEntryFile::Result::Unreadable},
        {"not named like an entry", u"index"_s, good, CacheEntryFile::Result::NotAnEntry},
        {"second stream", u"0123456789abcdef_1"_s, good, CacheEntryFile::Result::NotAnEntry},
    };
    for (const Case& c : cases) {
        put(dir.filePath(c.file), c.bytes);
        QString key;
        EXPECT_EQ(CacheEntryFile::readKey(dir.filePath(c.file), &key), c.result) << c.name;
    }
    QString key;
    CacheEntryFile::readKey(dir.filePath(u"0123456789abcdef_0"_s), &key);
    EXPECT_EQ(key, u"1/0/http://h/a.html"_s);
    EXPECT_EQ(CacheEntryFile::readKey(dir.filePath(u"fedcba9876543210_0"_s), &key),
              CacheEntryFile::Result::NotAnEntry);
}

class CacheToolTest : public ::testing::Test {
protected:
    // Homes in home/, root's home beside them; the user running is "me".
    static CacheLocations makeLocations(const QTemporaryDir& dir) {
        QDir().mkpath(dir.filePath(u"root"_s));
        return CacheLocations{dir.filePath(u"home/me/.cache/app/Cache"_s),
                              {dir.filePath(u"home"_s)},
                              {dir.filePath(u"root"_s)},
                              u".cache/app/Cache"_s};
    }
    QString home(const QString& user) const { return dir.filePath(u"home/"_s + user); }
    QString mine(const QString& name) const { return locations.currentUserFolder + u"/Cache_Data/"_s + name; }
    void addEntry(const QString& hash, const QByteArray& address, const QByteArray& body = "body") {
        put(mine(hash + u"_0"_s), entryBytes("1/0/" + address, body));
    }
    QStringList column(int c) const {
        QStringList values;
        for (int r = 0; r < tool.entries()->rowCount(); ++r)
            values << tool.entries()->text(r, c);
        return values;
    }

    QTemporaryDir dir;
    CacheLocations locations = makeLocations(dir);
    FakePrompts prompts;
    RunningEngine engine{locations.currentUserFolder};
    CacheToolController tool{prompts, locations, &engine};
};

TEST_F(CacheToolTest, MyCacheListsOneRowPerEntry) {
    addEntry(u"00000000000000a1"_s, "http://h/a.html", "12345");
    addEntry(u"00000000000000a2"_s, "http://h/img/p.GIF?x=1");
    put(mine(u"00000000000000a2_1"_s), "second stream");
    put(mine(u"index"_s), entryBytes("not an entry"));
    put(mine(u"index-dir/the-real-index"_s), "idx");
    tool.listMine();
    EXPECT_EQ(column(0), (QStringList{u"http://h/a.html"_s, u"http://h/img/p.GIF?x=1"_s}));
    EXPECT_EQ(column(1), (QStringList{u"html"_s, u"GIF"_s}));
    EXPECT_EQ(column(2), (QStringList{QString::number(24 + 19 + 5), QString::number(24 + 26 + 4)}));
    EXPECT_EQ(column(3), (QStringList{mine(u"00000000000000a1_0"_s), mine(u"00000000000000a2_0"_s)}));
    EXPECT_EQ(tool.countText(), u"共有2 个文件"_s);
    EXPECT_EQ(tool.viewTag(), CacheToolController::kMineTag);

    // A damaged entry ends the listing with the rows found before it.
    put(mine(u"00000000000000a15_0"_s), "x"); // not an entry name: ignored
    put(mine(u"00000000000000a3_0"_s), "damaged");
    addEntry(u"00000000000000a4"_s, "http://h/after.html");
    tool.listMine();
    EXPECT_EQ(tool.countText(), u"出错!!!共有2 个文件"_s);
    EXPECT_EQ(tool.entries()->rowCount(), 2);

    CacheToolController nothing(prompts, CacheLocations{dir.filePath(u"none"_s), {}, {}, {}}, nullptr);
    nothing.listMine();
    EXPECT_EQ(nothing.countText(), u"共有0 个文件"_s);
}

TEST_F(CacheToolTest, AllUsersListsEveryFileOfEveryUsersCacheFolder) {
    addEntry(u"00000000000000b1"_s, "http://h/b.html");
    put(home(u"alice"_s) + u"/.cache/app/Cache/Cache_Data/f_0"_s, "ab");
    put(home(u"alice"_s) + u"/.cache/app/Cache/cookies.txt"_s, "c");
    QDir().mkpath(home(u"bob"_s)); // no cache folder: not listed
    put(dir.filePath(u"root/.cache/app/Cache/x.bin"_s), "123");
    put(dir.filePath(u"outside/secret.pdf"_s), "s");
    ASSERT_TRUE(QFile::link(dir.filePath(u"outside"_s), home(u"alice"_s) + u"/.cache/app/Cache/link"_s));
    tool.listAllUsers();
    const QString aliceCache = home(u"alice"_s) + u"/.cache/app/Cache"_s;
    const QString rootCache = dir.filePath(u"root/.cache/app/Cache"_s);
    EXPECT_EQ(tool.users()->rowCount(), 3);
    EXPECT_EQ(tool.users()->row(0), (QStringList{u"alice"_s, aliceCache}));
    EXPECT_EQ(tool.users()->row(1), (QStringList{u"me"_s, locations.currentUserFolder}));
    EXPECT_EQ(tool.users()->row(2), (QStringList{u"root"_s, rootCache}));
    QStringList folders;
    for (int r = 0; r < tool.folders()->rowCount(); ++r)
        folders << tool.folders()->text(r, 0);
    EXPECT_EQ(folders,
              (QStringList{aliceCache + u"/Cache_Data"_s, locations.currentUserFolder + u"/Cache_Data"_s}));
    EXPECT_EQ(column(0), (QStringList{u"用户:alice"_s, u"用户:alice"_s, u"用户:me"_s, u"用户:root"_s}));
    EXPECT_EQ(column(1), (QStringList{QString(), u"txt"_s, QString(), u"bin"_s}));
    EXPECT_EQ(column(2), (QStringList{u"2"_s, u"1"_s, u"47"_s, u"3"_s}));
    EXPECT_EQ(column(3), (QStringList{aliceCache + u"/Cache_Data/f_0"_s, aliceCache + u"/cookies.txt"_s,
                                      mine(u"00000000000000b1_0"_s), rootCache + u"/x.bin"_s}));
    EXPECT_EQ(tool.countText(), u"共有4 个文件"_s);
    EXPECT_EQ(tool.viewTag(), CacheToolController::kAllTag);
}

TEST_F(CacheToolTest, DeletingSparesCookiesAndTextFilesAndRebuildsTheView) {
    addEntry(u"00000000000000c1"_s, "http://h/a.html");
    put(mine(u"00000000000000c1_1"_s), "stream 2 of the same entry");
    addEntry(u"00000000000000c2"_s, "http://h/COOKIE-policy.html");
    addEntry(u"00000000000000c3"_s, "http://h/b.png");
    put(mine(u"notes.txt"_s), "kept");
    put(dir.filePath(u"outside.pdf"_s), "s");
    ASSERT_TRUE(QFile::link(dir.filePath(u"outside.pdf"_s), mine(u"00000000000000c9_0"_s)));

    tool.listMine();
    ASSERT_EQ(tool.entries()->rowCount(), 3);
    tool.deleteRows({0});
    EXPECT_FALSE(QFile::exists(mine(u"00000000000000c1_0"_s)));
    EXPECT_FALSE(QFile::exists(mine(u"00000000000000c1_1"_s)));
    EXPECT_EQ(tool.countText(), u"共有2 个文件"_s);

    tool.deleteAll();
    EXPECT_EQ(column(0), QStringList{u"http://h/COOKIE-policy.html"_s});

    // All users: the .txt file and the cookie entry's file stay; the rest goes, and so do the
    // folders emptied by it.
    put(mine(u"sub/deeper/x.bin"_s), "x");
    put(mine(u"empty/inner/.hidden"_s), "h");
    tool.listAllUsers();
    tool.deleteAll();
    EXPECT_EQ(column(3), (QStringList{mine(u"00000000000000c2_0"_s), mine(u"notes.txt"_s)}));
    EXPECT_FALSE(QFileInfo::exists(mine(u"sub"_s)));
    EXPECT_FALSE(QFileInfo::exists(mine(u"empty"_s)));
    EXPECT_TRUE(QFileInfo::exists(locations.currentUserFolder));
    EXPECT_TRUE(QFile::exists(dir.filePath(u"outside.pdf"_s)));

    // Nothing left to spare: the files go, the folders the engine works in stay.
    QFile::remove(mine(u"00000000000000c2_0"_s));
    addEntry(u"00000000000000c4"_s, "http://h/c.html");
    tool.listMine();
    tool.deleteAll();
    EXPECT_FALSE(QFile::exists(mine(u"00000000000000c4_0"_s)));
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(mine(u"00000000000000c4_0"_s)).absolutePath()));
    EXPECT_EQ(tool.countText(), u"共有0 个文件"_s);
}

TEST_F(CacheToolTest, ClearBrowserCacheSparesCookieEntriesEverywhere) {
    addEntry(u"00000000000000d1"_s, "http://h/a.html");
    addEntry(u"00000000000000d2"_s, "http://h/set-Cookie");
    put(mine(u"00000000000000d2_s"_s), "sparse");
    put(home(u"alice"_s) + u"/.cache/app/Cache/Cache_Data/a_0"_s, "x");
    tool.clearBrowserCache(true);
    EXPECT_FALSE(QFile::exists(mine(u"00000000000000d1_0"_s)));
    EXPECT_TRUE(QFile::exists(mine(u"00000000000000d2_0"_s)));
    EXPECT_TRUE(QFile::exists(mine(u"00000000000000d2_s"_s)));
    EXPECT_FALSE(QFileInfo::exists(home(u"alice"_s) + u"/.cache/app/Cache/Cache_Data"_s));
    EXPECT_EQ(prompts.messages(), QStringList{u"IE缓存清空完毕！"_s});
}

// A cache folder that is a symbolic link, or lies below one inside its home folder, may point at
// anyone's papers: it is neither listed nor cleared, in my view or in the all-users view.
TEST(CacheFolderBehindALink, IsNeitherListedNorCleared) {
    struct Case {
        const char* name;
        QString link;   // made a link to "papers" (relative to the temporary folder)
        QString papers; // where the papers lie
    };
    const Case cases[] = {
        {"my cache folder is a link", u"home/me/.cache/app/Cache"_s, u"papers"_s},
        {"another user's cache folder is a link", u"home/alice/.cache/app/Cache"_s, u"papers"_s},
        {"another user's cache lies below a link", u"home/alice/.cache"_s, u"papers"_s},
        {"the link points into another user's home", u"home/alice/.cache/app/Cache"_s,
         u"home/bob/Documents"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(u"root"_s));
        const CacheLocations locations{dir.filePath(u"home/me/.cache/app/Cache"_s),
                                       {dir.filePath(u"home"_s)},
                                       {dir.filePath(u"root"_s)},
                                       u".cache/app/Cache"_s};
        // The papers are laid out like a cache, so that every way of reaching them finds them.
        const QString papers = dir.filePath(c.papers);
        const QString cacheInside = c.link.endsWith(u"Cache"_s) ? papers : papers + u"/app/Cache"_s;
        put(cacheInside + u"/Cache_Data/00000000000000f1_0"_s, entryBytes("1/0/http://h/paper.pdf"));
        put(cacheInside + u"/paper.pdf"_s, "%PDF-1.4 the only copy");
        put(cacheInside + u"/drafts/draft.doc"_s, "draft");
        QDir().mkpath(QFileInfo(dir.filePath(c.link)).absolutePath());
        ASSERT_TRUE(QFile::link(papers, dir.filePath(c.link)));
        // A real cache beside it is still cleared.
        const QString real = dir.filePath(u"root/.cache/app/Cache"_s);
        put(real + u"/x.bin"_s, "cached");

        FakePrompts prompts;
        RunningEngine engine{locations.currentUserFolder};
        CacheToolController tool{prompts, locations, &engine};
        tool.listMine();
        EXPECT_TRUE(c.link.startsWith(u"home/me"_s) ? tool.entries()->rowCount() == 0 : true);
        tool.listAllUsers();
        for (int r = 0; r < tool.entries()->rowCount(); ++r) {
            EXPECT_TRUE(tool.entries()->text(r, CacheToolController::PathColumn).startsWith(real))
                << tool.entries()->text(r, CacheToolController::PathColumn).toStdString();
        }
        tool.clearBrowserCache(false);
        EXPECT_TRUE(QFile::exists(cacheInside + u"/Cache_Data/00000000000000f1_0"_s));
        EXPECT_TRUE(QFile::exists(cacheInside + u"/paper.pdf"_s));
        EXPECT_TRUE(QFile::exists(cacheInside + u"/drafts/draft.doc"_s));
        EXPECT_FALSE(QFile::exists(real + u"/x.bin"_s));
    }
}

TEST_F(CacheToolTest, SizesSortAsNumbersAndCopyTakesRowsWithAFile) {
    addEntry(u"00000000000000e1"_s, "http://h/a", QByteArray(10, 'x'));
    addEntry(u"00000000000000e2"_s, "http://h/b", QByteArray(9, 'x'));
    addEntry(u"00000000000000e3"_s, "http://h/c", QByteArray(100, 'x'));
    tool.listMine();
    tool.sortByColumn(CacheToolController::SizeColumn);
    EXPECT_EQ(column(0), (QStringList{u"http://h/b"_s, u"http://h/a"_s, u"http://h/c"_s}));
    EXPECT_EQ(column(2), (QStringList{u"47"_s, u"48"_s, u"138"_s}));
    tool.sortByColumn(CacheToolController::SizeColumn);
    EXPECT_EQ(column(0), (QStringList{u"http://h/c"_s, u"http://h/a"_s, u"http://h/b"_s}));

    tool.entries()->append({u"http://h/nofile"_s, QString(), QString(), QString()});
    EXPECT_EQ(tool.filePaths({3, 1, 7, 1}), QStringList{mine(u"00000000000000e1_0"_s)});
    EXPECT_TRUE(tool.filePaths({}).isEmpty());
    EXPECT_FALSE(tool.entries()->flags(tool.entries()->index(0, 0)).testFlag(Qt::ItemIsEditable));
}

} // namespace
