#include "transfer/HeaderHelpers.h"
#include "platform/AnsiCodec.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace mojing::HeaderHelpers;
using namespace Qt::StringLiterals;

namespace {

const AnsiCodec gbk(u"GBK"_s);
const QString zhongwen = u"中文"_s;

TEST(ContentDispositionLookup, Table) {
    struct Case {
        const char* name;
        QString block;
        QString expected;
    } cases[] = {
        {"any letter case of the name",
         u"HTTP/1.1 200 OK\r\nCONTENT-disposition: attachment; filename=\"a.pdf\"\r\n"_s,
         u"attachment; filename=\"a.pdf\""_s},
        {"indented line is trimmed first", u"HTTP/1.1 200 OK\r\n   Content-Disposition:   inline  \r\n"_s,
         u"inline"_s},
        {"first of two wins", u"X\r\nContent-Disposition: one\r\nContent-Disposition: two"_s, u"one"_s},
        {"absent", u"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"_s, QString()},
        {"a look-alike header does not match", u"X\r\nContent-Disposition-X: a\r\n"_s, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dispositionFromHeader(c.block), c.expected) << c.name;
}

TEST(ContentDispositionFileName, Table) {
    struct Case {
        const char* name;
        QString value;
        QString base;
        QString extension;
    } cases[] = {
        {"quoted name keeps the extension's case", u"attachment; filename=\"report.PDF\""_s, u"report"_s,
         u"PDF"_s},
        {"last dot splits", u"attachment; filename=abc.tar.gz"_s, u"abc.tar"_s, u"gz"_s},
        {"utf-8 in the value decodes as UTF-8",
         u"attachment; filename=%E4%B8%AD%E6%96%87.pdf; charset=utf-8"_s, zhongwen, u"pdf"_s},
        {"without utf-8 the same bytes are code-page text", u"attachment; filename=%E4%B8%AD%E6%96%87.pdf"_s,
         gbk.decode(QByteArray::fromHex("e4b8ade69687")), u"pdf"_s},
        {"GBK escapes", u"attachment; filename=%D6%D0%CE%C4.caj"_s, zhongwen, u"caj"_s},
        {"only the extended form yields nothing", u"attachment; filename*=UTF-8''a.pdf"_s, QString(),
         QString()},
        {"no filename", u"inline"_s, QString(), QString()},
        {"part after the semicolon is dropped", u"attachment; filename=a.pdf; size=3"_s, u"a"_s, u"pdf"_s},
        {"single quotes removed", u"attachment; filename='b.doc'"_s, u"b"_s, u"doc"_s},
        {"digits end the extension", u"attachment; filename=song.mp3"_s, u"song"_s, u"mp"_s},
        {"five letters stay", u"attachment; filename=a.jpeg"_s, u"a"_s, u"jpeg"_s},
        {"six letters are dropped", u"attachment; filename=a.abcdef"_s, u"a"_s, QString()},
        {"no dot", u"attachment; filename=README"_s, u"README"_s, QString()},
        {"name key in any case", u"attachment; FileName=x.pdf"_s, u"x"_s, u"pdf"_s},
        {"tab and control characters stripped", u"attachment; filename=\"a\tb.pdf\""_s, u"ab"_s, u"pdf"_s},
        {"plus is a space in UTF-8 mode", u"attachment; filename=a+b.pdf; utf-8"_s, u"a b"_s, u"pdf"_s},
    };
    for (const Case& c : cases) {
        const DispositionName got = dispositionFileName(c.value, gbk);
        EXPECT_EQ(got.baseName, c.base) << c.name;
        EXPECT_EQ(got.extension, c.extension) << c.name;
    }
}

TEST(UrlUnescape, Table) {
    struct Case {
        const char* name;
        bool utf8;
        QString input;
        QString expected;
    } cases[] = {
        {"ansi: GBK pair", false, u"%D6%D0"_s, u"中"_s},
        {"ansi: %u unit", false, u"a%u4E2Db"_s, u"a中b"_s},
        {"ansi: plus is a space", false, u"a+b"_s, u"a b"_s},
        {"ansi: ASCII escapes", false, u"%41%42c"_s, u"ABc"_s},
        {"ansi: malformed percent kept", false, u"50%zz"_s, u"50%zz"_s},
        {"ansi: percent at end kept", false, u"a%"_s, u"a%"_s},
        {"utf8: two Chinese characters", true, u"%E4%B8%AD%E6%96%87"_s, zhongwen},
        {"utf8: text around escapes", true, u"x-%E4%B8%AD-y"_s, u"x-中-y"_s},
        {"utf8: %u in capitals", true, u"%U4E2D"_s, u"中"_s},
        {"utf8: control byte", true, u"a%09b"_s, u"a\tb"_s},
        {"utf8: not UTF-8 falls back to GBK", true, u"%D6%D0%CE%C4"_s, zhongwen},
        {"utf8: GBK high byte with a plain low character", true, u"%D6%D0"_s, u"中"_s},
        {"utf8: truncated sequence dropped", true, u"%E4%B8%AD%E6%96"_s, u"中"_s},
        {"utf8: four-byte sequence", true, u"%F0%9F%98%80"_s, QString::fromUcs4(U"\U0001F600")},
        {"utf8: malformed percent kept", true, u"100%"_s, u"100%"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.utf8 ? urlUnescapeUtf8(c.input, gbk) : urlUnescapeAnsi(c.input, gbk), c.expected)
            << c.name;
}

TEST(StripControlCharsAndHex, Table) {
    EXPECT_EQ(stripControlChars(u" a\r\nb\rc\nd\te"_s + QChar(0) + u"f "_s), u"abcdef"_s);
    struct Case {
        const char* name;
        QString digits;
        qint64 expected;
    } cases[] = {
        {"two digits", u"4E"_s, 0x4E}, {"lower case", u"ff"_s, 255}, {"four digits", u"4e2d"_s, 0x4E2D},
        {"padded", u" 1F "_s, 31},     {"empty", QString(), -1},     {"not hex", u"G1"_s, -1},
        {"sign", u"-1"_s, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexToLong(c.digits), c.expected) << c.name;
}

TEST(MimeTypeToExtension, Table) {
    struct Case {
        QString mime;
        QString expected;
    } cases[] = {
        {u"application/octet-stream"_s, QString()},
        {u"application/*"_s, QString()},
        {u"text/"_s, QString()},
        {u"image/svg+xml"_s, u"svg"_s},
        {u"application/x-foo"_s, u"x"_s},
        {u"application/vnd.ms-excel"_s, u"xls"_s},
        {u"pdf"_s, u"pdf"_s},
        {u"Application/PDF"_s, u"pdf"_s},
        {u"application/ vnd.ms-powerpoint"_s, u"ppt"_s},
        {u"application/msword"_s, u"doc"_s},
        {u"application/vnd.openxmlformats-officedocument.wordprocessingml.document"_s, u"docx"_s},
        {u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s, u"xlsx"_s},
        {u"application/vnd.openxmlformats-officedocument.presentationml.presentation"_s, u"pptx"_s},
        {u"application/vnd.openxmlformats-officedocument.presentationml.slideshow"_s, u"ppsx"_s},
        {u"application/x-shockwave-flash"_s, u"swf"_s},
        {u"application/x-javascript"_s, u"js"_s},
        {u"application/vnd.rn-realmedia"_s, u"rm"_s},
        {u"application/vnd.ms-wpl"_s, u"wpl"_s},
        {u"application/caj"_s, u"caj"_s},
        {u"application/kdh"_s, u"kdh"_s},
        {u"application/caa"_s, u"caa"_s},
        {u"application/nh"_s, u"nh"_s},
        {u"application/vnd.ms-works"_s, u"wps"_s},
        {u"application/x-excel"_s, u"xls"_s},
        {u"application/x-msdownload"_s, u"dll"_s},
        {u"application/x-tar"_s, u"tar"_s},
        {u"application/x-compressed"_s, u"tgz"_s},
        {u"application/x-zip-compressed"_s, u"zip"_s},
        {u"application/x-compress"_s, u"z"_s},
        {u"application/rtf"_s, u"rtf"_s},
        {u"application/pps"_s, u"pps"_s},
        {u"text/plain"_s, u"txt"_s},
        {u"text/html"_s, u"html"_s},
        {u"text/css"_s, u"css"_s},
        {u"text/javascript"_s, QString()}, // unlisted subtype longer than 5 letters
        {u"image/tiff"_s, u"tif"_s},
        {u"image/x-png"_s, u"png"_s},
        {u"image/x-ms-bmp"_s, u"bmp"_s},
        {u"image/x-icon"_s, u"ico"_s},
        {u"image/pjpeg"_s, u"pjpeg"_s},
        {u"video/mpeg4"_s, u"mp4"_s},
        {u"video/x-msvideo"_s, u"avi"_s},
        {u"video/x-ms-asf"_s, u"asf"_s},
        {u"video/x-ms-wmv"_s, u"wmv"_s},
        {u"video/quicktime"_s, u"mov"_s},
        {u"audio/amr"_s, u"amr"_s},
        {u"audio/x-ms-wma"_s, u"wma"_s},
        {u"audio/x-wav"_s, u"wav"_s},
        {u"audio/x-pn-realaudio"_s, u"ram"_s},
        {u"audio/midi"_s, u"mid"_s},
        {u"audio/x-mpegurl"_s, u"mpeg"_s},
        {u"message/rfc822"_s, u"mht"_s},
        {u"foo/bar"_s, u"bar"_s},
        {u"a/b/c"_s, u"a"_s},
        {QString(), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mimeTypeToExtension(c.mime), c.expected) << c.mime.toStdString();
}

TEST(SplitContentType, Table) {
    struct Case {
        QString value;
        QString mime;
        QString charset;
    } cases[] = {
        {u"text/html; charset=gbk"_s, u"text/html"_s, u"gbk"_s},
        {u"text/html;charset=UTF-8"_s, u"text/html"_s, u"UTF-8"_s},
        {u"text/html; CHARSET=big5"_s, u"text/html"_s, u"big5"_s},
        {u"text/html; boundary=x; charset=gbk"_s, u"text/html"_s, QString()},
        {u"application/pdf"_s, u"application/pdf"_s, QString()},
        {QString(), QString(), QString()},
    };
    for (const Case& c : cases) {
        const ContentType got = splitContentType(c.value);
        EXPECT_EQ(got.mimeType, c.mime) << c.value.toStdString();
        EXPECT_EQ(got.charset, c.charset) << c.value.toStdString();
    }
    EXPECT_EQ(mimeTypeToExtension(splitContentType(u"text/html; charset=gbk"_s).mimeType), u"html"_s);
}

TEST(StatusAndHeaderValue, Table) {
    const QString block = u"HTTP/1.1 200 OK\r\nContent-Length: 12\r\ncontent-type: text/html"_s;
    EXPECT_EQ(headerValue(block, u"Content-Type"_s), u"text/html"_s);
    EXPECT_EQ(headerValue(block, u"content-length"_s), u"12"_s);
    EXPECT_EQ(headerValue(block, u"Location"_s), QString());
    EXPECT_TRUE(isSuccessStatus(block));
    EXPECT_TRUE(isSuccessStatus(u"HTTP/1.0 200 ok"_s));
    EXPECT_FALSE(isSuccessStatus(u"HTTP/1.1 404 Not Found\r\nX: 200 OK"_s));
    EXPECT_FALSE(isSuccessStatus(u"HTTP/1.1 206 Partial Content"_s));
}

TEST(RetryAfter, Table) {
    const QDateTime now(QDate(1994, 11, 6), QTime(8, 48, 37), Qt::UTC);
    const struct {
        const char* name;
        QString value;
        std::optional<qint64> seconds;
    } cases[] = {
        {"seconds", u" 120 "_s, 120},
        {"zero", u"0"_s, 0},
        {"IMF date", u"Sun, 06 Nov 1994 08:49:37 GMT"_s, 60},
        {"obsolete RFC 850 date", u"Sunday, 06-Nov-94 08:49:37 GMT"_s, 60},
        {"asctime date", u"Sun Nov  6 08:49:37 1994"_s, 60},
        {"a signed number is no value", u"+5"_s, std::nullopt},
        {"a fraction is no value", u"1.5"_s, std::nullopt},
        {"a date without its zone", u"Sun, 06 Nov 1994 08:49:37"_s, std::nullopt},
        {"empty", QString(), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(retryAfterSeconds(c.value, now), c.seconds) << c.name;
}

TEST(ContentRangeValue, Table) {
    const struct {
        QString value;
        qint64 first, last, total; // -2: not a byte range
    } cases[] = {
        {u"bytes 8000-20008/20009"_s, 8000, 20008, 20009},
        {u"bytes 5-9/*"_s, 5, 9, -1},
        {u"bytes 9-5/20"_s, -2, -2, -2},
        {u"bytes 5-20/20"_s, -2, -2, -2},
        {u"bytes */20"_s, -2, -2, -2},
    };
    for (const auto& c : cases) {
        const std::optional<ContentRange> r = parseContentRange(c.value);
        if (c.first == -2) {
            EXPECT_FALSE(r.has_value()) << c.value.toStdString();
            continue;
        }
        ASSERT_TRUE(r.has_value()) << c.value.toStdString();
        EXPECT_EQ(r->first, c.first);
        EXPECT_EQ(r->last, c.last);
        EXPECT_EQ(r->total, c.total);
    }
}

} // namespace
