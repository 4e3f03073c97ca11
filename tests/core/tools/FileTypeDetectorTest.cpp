#include "tools/FileTypeDetector.h"
#include "platform/AnsiCodec.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// `head` followed by zero bytes up to `length` (or exactly `head` when length is -1).
QByteArray padded(const QByteArray& head, qint64 length = -1) {
    QByteArray out = head;
    if (length >= 0)
        out.resize(length, '\0');
    return out;
}

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

// A compound document header with `sub` at offset 512.
QByteArray compound(const QByteArray& sub, qint64 length) {
    QByteArray out = padded(hex("d0cf11e0a1b11ae1"), length);
    for (qsizetype i = 0; i < sub.size() && 512 + i < out.size(); ++i)
        out[512 + i] = sub.at(i);
    return out;
}

QByteArray webPage(qint64 length) {
    QByteArray page = "<HTML><HEAD><TITLE>x</TITLE></HEAD><BODY>hello</BODY></HTML>";
    page.resize(length, ' ');
    return page;
}

QByteArray descriptor(qint64 length) {
    QByteArray text =
        "[TARGET]\r\nA1=1\r\nA2=2\r\nB1=1\r\nB2=2\r\nc1=1\r\nC2=2\r\nD1=1\r\nD2=2\r\nDOCTYPE=pdf\r\n";
    text.resize(length, ' ');
    return text;
}

QByteArray withTagTrailer(qint64 length) {
    QByteArray data(length, 'x');
    data.replace(length - 128, 3, "TAG");
    return data;
}

class FileTypeDetectorTest : public ::testing::Test {
protected:
    QString write(const QByteArray& content) {
        const QString path = dir.filePath(u"f"_s + QString::number(++n) + u".bin"_s);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    }
    QTemporaryDir dir;
    AnsiCodec gbk{u"GBK"_s};
    int n = 0;
};

TEST_F(FileTypeDetectorTest, Signatures) {
    struct Case {
        const char* name;
        QByteArray content;
        QString expected;
    } cases[] = {
        {"pdf", padded("%PDF-1.7", 40), u"pdf"_s},
        {"9-byte pdf", padded("%PDF-1.4\n"), u"pdf"_s},
        {"caj", padded(hex("c8000000"), 40), u"caj"_s},
        {"CAJ bytes are kdh", padded(hex("43414a00"), 40), u"kdh"_s},
        {"KDH", padded("KDH ", 40), u"kdh"_s},
        {"nh", padded(hex("484e0000"), 40), u"nh"_s},
        {"tif", padded(hex("49492a00"), 40), u"tif"_s},
        {"rtf", padded("{\\rtf1", 40), u"rtf"_s},
        {"exe", padded("MZ", 40), u"exe"_s},
        {"rar", padded("Rar!", 40), u"rar"_s},
        {"zip", padded(hex("504b0304140000000800"), 40), u"zip"_s},
        {"docx", padded(hex("504b0304140006000800"), 40), u"docx"_s},
        {"other zip header is no zip", padded(hex("504b0304140008000800"), 40), QString()},
        {"swf", padded(hex("43575306"), 40), u"swf"_s},
        {"rm", padded(".RMF", 40), u"rm"_s},
        {"wma", padded(hex("3026b2758e"), 40), u"wma"_s},
        {"mp3 ID3", padded(hex("49443303"), 40), u"mp3"_s},
        {"png", padded(hex("89504e470d0a1a0a"), 40), u"png"_s},
        {"gif", padded("GIF89a", 40), u"gif"_s},
        {"gif87a is unknown", padded("GIF87a", 40), QString()},
        {"jpg Exif, offsets 4 5 10 11 ignored", padded(hex("ffd8ffe1abcd45786966eeff4d4d002a"), 40),
         u"jpg"_s},
        {"jpg JFIF", padded(hex("ffd8ffe000104a464946"), 40), u"jpg"_s},
        {"doc", compound(hex("eca5c100"), 600), u"doc"_s},
        {"xls", compound(hex("09081000"), 600), u"xls"_s},
        {"ppt", compound(hex("000000f0"), 600), u"ppt"_s},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileTypeDetector::detectFileType(write(c.content), gbk), c.expected) << c.name;
        EXPECT_EQ(FileTypeDetector::detectFileTypeOfBytes(c.content, gbk), c.expected)
            << c.name << " (bytes)";
    }
}

TEST_F(FileTypeDetectorTest, BufferBoundaries) {
    struct Case {
        const char* name;
        QByteArray content;
        QString expected;
    } cases[] = {
        {"zero-length file", QByteArray(), QString()},
        {"missing file", QByteArray("-"), QString()}, // replaced by a missing path below
        {"12-byte web page is too short for the jpg test", "<html><body>", QString()},
        {"14 bytes of text end as unknown", padded("<html><body>xx"), QString()},
        {"15 bytes pass the leading tests", padded("<html><body>xyz"), u"htm"_s},
        {"compound of 200 bytes", compound({}, 200), QString()},
        {"compound of 514 bytes is too short", compound(hex("eca5c1"), 514), QString()},
        {"compound of 515 bytes reads offset 515 as zero", compound(hex("eca5c1"), 515), u"doc"_s},
        {"compound of 600 bytes without a sub-type goes on", compound({}, 600), QString()},
        {"compound ending in a TAG trailer",
         [] {
             QByteArray d = compound({}, 700);
             d.replace(700 - 128, 3, "TAG");
             return d;
         }(),
         u"mp3"_s},
    };
    for (const Case& c : cases) {
        QString path = write(c.content);
        if (QByteArray(c.name) == "missing file")
            path = dir.filePath(u"nothing-here.pdf"_s);
        EXPECT_EQ(FileTypeDetector::detectFileType(path, gbk), c.expected) << c.name;
        if (QByteArray(c.name) != "missing file") {
            EXPECT_EQ(FileTypeDetector::detectFileTypeOfBytes(c.content, gbk), c.expected)
                << c.name << " (bytes)";
        }
    }
}

TEST_F(FileTypeDetectorTest, TrailerAndText) {
    QByteArray markerLate = "<html x>";
    markerLate.resize(20000, ' ');
    markerLate += "<title>late</title>";
    struct Case {
        const char* name;
        QByteArray content;
        QString expected;
    } cases[] = {
        {"TAG trailer of 129 bytes", withTagTrailer(129), u"mp3"_s},
        {"TAG at the very start of a 128-byte file is not read", withTagTrailer(128), QString()},
        {"150 KB web page in capitals", webPage(150 * 1024), u"htm"_s},
        {"web page just under 200 KB", webPage(204799), u"htm"_s},
        {"web page of exactly 200 KB", webPage(204800), QString()},
        {"250 KB web page", webPage(250 * 1024), QString()},
        {"html marker without title/head/body in the first 10 KB", markerLate, QString()},
        {"html> alone with a body tag", padded("<x></html><body>..."), u"htm"_s},
        {"2 KB descriptor", descriptor(2048), u"caa"_s},
        {"descriptor just under 3 KB", descriptor(3071), u"caa"_s},
        {"descriptor of exactly 3 KB", descriptor(3072), QString()},
        {"5 KB descriptor", descriptor(5 * 1024), QString()},
        {"descriptor missing one marker", QByteArray(descriptor(2048)).replace("DOCTYPE=", "DOCTYPX="),
         QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileTypeDetector::detectFileType(write(c.content), gbk), c.expected) << c.name;
        EXPECT_EQ(FileTypeDetector::detectFileTypeOfBytes(c.content, gbk), c.expected)
            << c.name << " (bytes)";
    }
}

} // namespace
