#include "platform/FileHelpers.h"
#include "support/TestContext.h"

#include "platform/AnsiCodec.h"
#include <QFile>

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

struct SanitizeCase {
    const char* name;
    QString input;
    QString expected;
};

TEST(SanitizeFileName, Table) {
    const AnsiCodec gbk(u"GBK"_s);
    const QString hundredFifty = QString(150, QChar(0x4E2D));
    const SanitizeCase cases[] = {
        {"dots and forbidden characters", u"..a:b*c?.."_s, u"abc"_s},
        {"every forbidden character", u"a\\/:*?\"<>|b"_s, u"ab"_s},
        {"line breaks and NUL", u"a\r\nb\nc\rd"_s + QChar(0) + u"e"_s, u"abcde"_s},
        {"only dots", u"...."_s, QString()},
        {"150 Chinese characters fit a 255-byte disk name", hundredFifty, QString(78, QChar(0x4E2D))},
        {"200 ASCII characters stay", QString(200, u'x'), QString(200, u'x')},
        {"201 ASCII characters lose one", QString(201, u'x'), QString(200, u'x')},
        {"disk limit keeps whole characters", u"xy"_s + QString(100, QChar(0x4E2D)),
         u"xy"_s + QString(77, QChar(0x4E2D))},
        // From a fuzzed header: escaped halves of surrogate pairs slipped past both limits.
        {"halves of surrogate pairs become replacement characters",
         u"a"_s + QChar(0xDDDD) + u"b"_s + QChar(0xD800) + QChar(0xD800) + QChar(0xDC00),
         u"a\uFFFDb\uFFFD"_s + QChar(0xD800) + QChar(0xDC00)},
        {"300 halves of surrogate pairs fit a 255-byte disk name", QString(300, QChar(0xDDDD)),
         QString(78, QChar::ReplacementCharacter)},
    };
    for (const SanitizeCase& c : cases)
        EXPECT_EQ(FileHelpers::sanitizeFileName(c.input, gbk), c.expected) << c.name;
}

TEST(SanitizeFileName, CodePageLimitCountsDoubleByteCharacters) {
    const AnsiCodec gbk(u"GBK"_s);
    const QString chinese = QString(150, QChar(0x4E2D));
    EXPECT_EQ(gbk.truncateToBytes(chinese, 200), QString(100, QChar(0x4E2D))) << "150 characters keep 100";
    EXPECT_EQ(gbk.truncateToBytes(u"x"_s + chinese, 200), u"x"_s + QString(99, QChar(0x4E2D)))
        << "a double-byte character is never cut in half";
    const AnsiCodec utf8(u"UTF-8"_s);
    EXPECT_EQ(utf8.truncateToBytes(QString(300, QChar(0xDDDD)), 200), QString(66, QChar(0xDDDD)))
        << "half a surrogate pair counts as the replacement character it is encoded as";
    EXPECT_EQ(utf8.truncateToBytes(u"\U0001F600"_s.repeated(60), 200), u"\U0001F600"_s.repeated(50))
        << "a whole pair is never cut in half";
}

TEST(SanitizeFileName, LongestCleanNameCanBeCreatedWithCounterAndExtension) {
    TestContext t;
    const QString name = FileHelpers::sanitizeFileName(QString(150, QChar(0x4E2D)), t.codec);
    QFile file(t.path(name + u"[0001].docx"_s));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
}

} // namespace

namespace {

const QString kBadFolder = u"文件夹名称有误！不能创建文件夹！"_s;

TEST(CreateFolderPath, Table) {
    struct Case {
        const char* name;
        QString relative;      // appended to the temporary root
        QString expected;      // relative result; "-" = failure (empty string)
        bool message;          // the bad-name message is shown
        QStringList mustExist; // relative folders that exist afterwards
        QStringList mustNotExist;
    };
    const Case cases[] = {
        {"creates every level", u"/a1/b1/c1"_s, u"/a1/b1/c1"_s, false, {u"/a1/b1/c1"_s}, {}},
        {"trailing separator dropped", u"/a2/b2/"_s, u"/a2/b2"_s, false, {u"/a2/b2"_s}, {}},
        {"double separator stops the walk", u"/a3//b3"_s, u"/a3"_s, false, {u"/a3"_s}, {u"/a3/b3"_s}},
        {"levels are sanitised", u"/a4/b:c*/..d.."_s, u"/a4/bc/d"_s, false, {u"/a4/bc/d"_s}, {}},
        {"level of removed characters only", u"/a5/?*/b5"_s, u"-"_s, true, {u"/a5"_s}, {u"/a5/b5"_s}},
        {"one level", u"/a1"_s, u"/a1"_s, false, {u"/a1"_s}, {}},
    };
    for (const Case& c : cases) {
        TestContext t;
        const QString root = t.dir.path();
        const QString result = FileHelpers::createFolderPath(root + c.relative, t.codec, &t.prompts);
        EXPECT_EQ(result, c.expected == u"-"_s ? QString() : root + c.expected) << c.name;
        EXPECT_EQ(t.prompts.messages(), c.message ? QStringList{kBadFolder} : QStringList()) << c.name;
        if (c.message)
            EXPECT_EQ(t.prompts.lastIcon(), MessageIcon::Error) << c.name;
        for (const QString& f : c.mustExist)
            EXPECT_TRUE(FileHelpers::folderExists(root + f)) << c.name << " " << f.toStdString();
        for (const QString& f : c.mustNotExist)
            EXPECT_FALSE(FileHelpers::folderExists(root + f)) << c.name << " " << f.toStdString();
    }
}

TEST(CreateFolderPath, NetworkPathWithoutServerFails) {
    TestContext t;
    const QString sep(FileHelpers::separator());
    EXPECT_EQ(FileHelpers::createFolderPath(sep + sep + sep + u"share"_s, t.codec, &t.prompts), QString());
    EXPECT_EQ(t.prompts.messages(), QStringList{kBadFolder});
}

TEST(CreateFolderPath, LevelBlockedByAFileFailsWithoutMessage) {
    TestContext t;
    QFile blocker(t.path(u"plain"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(FileHelpers::createFolderPath(t.path(u"plain/sub"_s), t.codec, &t.prompts), QString());
    EXPECT_TRUE(t.prompts.shown.empty());
    // Without a prompts object the bad name still fails, quietly.
    EXPECT_EQ(FileHelpers::createFolderPath(t.path(u"x/?"_s), t.codec, nullptr), QString());
}

TEST(FolderAndFileExists, Table) {
    TestContext t;
    const QString file = t.path(u"有 空格.pdf"_s);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close(); // an empty file still has a readable length
    const QString folder = t.dir.path();

    struct Case {
        const char* name;
        QString path;
        bool folderExpected;
        bool fileExpected;
    };
    const Case cases[] = {
        {"floppy root, upper case", u"A:"_s + FileHelpers::separator(), true, false},
        {"floppy root, lower case", u"a:"_s + FileHelpers::separator(), true, false},
        {"empty", QString(), false, false},
        {"blank", u"   "_s, false, false},
        {"existing folder", folder, true, false},
        {"existing file", file, false, true},
        {"file with blanks around", u"  "_s + file + u" "_s, false, true},
        {"file URL", u"file://"_s + file, false, true},
        {"file URL in capitals", u"FILE://"_s + file, false, true},
        {"missing file", file + u".x"_s, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileHelpers::folderExists(c.path), c.folderExpected) << c.name;
        EXPECT_EQ(FileHelpers::fileExists(c.path), c.fileExpected) << c.name;
    }
}

} // namespace
