#include "app/AnsiCodec.h"
#include "app/FileHelpers.h"

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
        {"150 Chinese characters keep 100", hundredFifty, QString(100, QChar(0x4E2D))},
        {"200 ASCII characters stay", QString(200, u'x'), QString(200, u'x')},
        {"201 ASCII characters lose one", QString(201, u'x'), QString(200, u'x')},
        {"odd byte budget keeps whole characters", u"x"_s + QString(100, QChar(0x4E2D)),
         u"x"_s + QString(99, QChar(0x4E2D))},
    };
    for (const SanitizeCase& c : cases)
        EXPECT_EQ(FileHelpers::sanitizeFileName(c.input, gbk), c.expected) << c.name;
}

} // namespace
