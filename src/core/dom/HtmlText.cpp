#include "HtmlText.h"

#include "platform/AnsiCodec.h"

#include <QRegularExpression>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace mojing {

QString HtmlText::declaredCharset(const QByteArray& bytes) {
    static const QRegularExpression meta(u"<meta[^>]*charset\\s*=\\s*[\"']?\\s*([a-z0-9_:.\\-]+)"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(1024));
    const QRegularExpressionMatch m = meta.match(head);
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

QString HtmlText::decode(const QByteArray& bytes, const AnsiCodec& ansi) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        return utf16.decode(bytes);
    }
    const QString charset = declaredCharset(bytes);
    if (charset == u"utf-8"_s || charset == u"utf8"_s)
        return QString::fromUtf8(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder declared(charset.toLatin1().constData());
        if (declared.isValid())
            return declared.decode(bytes);
    }
    return ansi.decode(bytes);
}

} // namespace mojing
