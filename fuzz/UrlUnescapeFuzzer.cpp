// Percent-escaped names as servers send them, read in the ANSI code page (GBK) or as UTF-8.

#include "FuzzSupport.h"

#include "platform/AnsiCodec.h"
#include "transfer/HeaderHelpers.h"

using namespace mojing;
using namespace mojing::HeaderHelpers;
using namespace Qt::StringLiterals;

namespace {

// Every byte as %XX, the way a server escapes a whole name.
QString escapeAll(const QByteArray& bytes) {
    QString out;
    for (char b : bytes)
        out += u'%' + QString::number(quint8(b), 16).rightJustified(2, u'0').toUpper();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AnsiCodec gbk(u"GBK"_s);
    const QString text = fuzz::textOf(data, size);

    // Arbitrary text: no escape ever yields more characters than it took.
    const QString ansi = urlUnescapeAnsi(text, gbk);
    const QString utf8 = urlUnescapeUtf8(text, gbk);
    FUZZ_CHECK(ansi.size() <= text.size(), text);
    FUZZ_CHECK(utf8.size() <= text.size(), text);
    // Without escapes and pluses there is nothing to decode.
    if (!text.contains(u'%') && !text.contains(u'+')) {
        FUZZ_CHECK(ansi == text, text);
        FUZZ_CHECK(utf8 == text, text);
    }

    // A name escaped whole comes back as it was encoded.
    const QByteArray asUtf8 = text.toUtf8();
    FUZZ_CHECK(urlUnescapeUtf8(escapeAll(asUtf8), gbk) == QString::fromUtf8(asUtf8), text);
    const QByteArray asGbk = gbk.encode(text);
    FUZZ_CHECK(urlUnescapeAnsi(escapeAll(asGbk), gbk) == gbk.decode(asGbk), text);
    return 0;
}
