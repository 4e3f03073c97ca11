// Response header blocks as a server sends them: the Content-Disposition lookup and its file name,
// the Content-Type split, MIME type to extension and the success-status rule.

#include "FuzzSupport.h"

#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"
#include "transfer/HeaderHelpers.h"

using namespace mojing;
using namespace mojing::HeaderHelpers;
using namespace Qt::StringLiterals;

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiLetterOrDigit(QChar c) {
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

bool all(const QString& s, bool (*test)(QChar)) {
    for (QChar c : s) {
        if (!test(c))
            return false;
    }
    return true;
}

void checkFileName(const QString& value, const AnsiCodec& codec) {
    const DispositionName name = dispositionFileName(value, codec);
    FUZZ_CHECK(name.extension.size() <= 5 && all(name.extension, isAsciiLetter), name.extension);
    FUZZ_CHECK(name.baseName == name.baseName.trimmed(), name.baseName);
    // What a transfer would name the file after: never a path, never "." or "..".
    const QString cleaned = FileHelpers::sanitizeFileName(name.baseName, codec);
    FUZZ_CHECK(!fuzz::hasPathSeparator(cleaned), cleaned);
    FUZZ_CHECK(!cleaned.startsWith(u'.'), cleaned);
    FUZZ_CHECK(codec.byteLength(cleaned) <= 200, cleaned);
    FUZZ_CHECK(cleaned.toUtf8().size() <= 235, cleaned); // the name on disk, before counter and extension
}

void checkMimeType(const QString& mimeType) {
    // Table answers may carry a digit (video/mpeg4 is mp4); none is longer than five characters.
    const QString extension = mimeTypeToExtension(mimeType);
    FUZZ_CHECK(extension.size() <= 5 && all(extension, isAsciiLetterOrDigit), extension);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AnsiCodec gbk(u"GBK"_s);
    static const AnsiCodec utf8(u"UTF-8"_s);
    const QString block = fuzz::textOf(data, size);

    const QString disposition = dispositionFromHeader(block);
    FUZZ_CHECK(!disposition.contains(u"\r\n"_s), disposition);
    FUZZ_CHECK(disposition == disposition.trimmed(), disposition);
    // The value found in a block, and the whole input read as a value.
    checkFileName(disposition, gbk);
    checkFileName(block, gbk);
    checkFileName(block, utf8);

    const QString contentTypeValue = headerValue(block, u"Content-Type"_s);
    FUZZ_CHECK(!contentTypeValue.contains(u"\r\n"_s), contentTypeValue);
    for (const QString& value : {contentTypeValue, block}) {
        const ContentType type = splitContentType(value);
        FUZZ_CHECK(type.mimeType == type.mimeType.trimmed(), type.mimeType);
        FUZZ_CHECK(!type.mimeType.contains(u';'), type.mimeType);
        FUZZ_CHECK(!type.charset.contains(u';'), type.charset);
        checkMimeType(type.mimeType);
    }
    checkMimeType(block);

    if (isSuccessStatus(block)) {
        const QString statusLine = block.section(u"\r\n"_s, 0, 0);
        FUZZ_CHECK(statusLine.contains(u"200"_s), statusLine);
    }

    const QString stripped = stripControlChars(block);
    for (QChar c : {QChar(u'\r'), QChar(u'\n'), QChar(u'\t'), QChar(0)})
        FUZZ_CHECK(!stripped.contains(c), stripped);
    FUZZ_CHECK(stripControlChars(stripped) == stripped, stripped);

    const qint64 value = hexToLong(block.left(20));
    FUZZ_CHECK(value >= -1, block.left(20));
    return 0;
}
