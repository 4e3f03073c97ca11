#include "AnsiCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace mojing {

AnsiCodec::AnsiCodec(QString name) : m_name(std::move(name)) {
    QStringEncoder probe(m_name.toLatin1().constData());
    if (!probe.isValid())
        m_name = u"GBK"_s;
}

QString AnsiCodec::defaultName() {
    const QString fromEnv = qEnvironmentVariable("MOJING_ANSI_CODEPAGE").trimmed();
    return fromEnv.isEmpty() ? u"GBK"_s : fromEnv;
}

QByteArray AnsiCodec::encode(const QString& text) const {
    QStringEncoder encoder(m_name.toLatin1().constData());
    return encoder.encode(text);
}

QString AnsiCodec::decode(const QByteArray& bytes) const {
    QStringDecoder decoder(m_name.toLatin1().constData());
    return decoder.decode(bytes);
}

qsizetype AnsiCodec::byteLength(const QString& text) const {
    return encode(text).size();
}

QString AnsiCodec::truncateToBytes(const QString& text, qsizetype maxBytes) const {
    if (maxBytes <= 0)
        return {};
    if (text.size() <= maxBytes / 4 || byteLength(text) <= maxBytes)
        return text;
    // Walk whole characters (code points) and stop before the one that would not fit.
    qsizetype used = 0;
    qsizetype end = 0;
    // Half a surrogate pair is no character: within text it is encoded as a replacement character,
    // but alone the encoder waits for the other half and reports no bytes at all.
    const qsizetype loneSurrogateBytes = byteLength(QString(QChar::ReplacementCharacter));
    while (end < text.size()) {
        const bool pair =
            text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        const qsizetype step = pair ? 2 : 1;
        const qsizetype bytes =
            text.at(end).isSurrogate() && !pair ? loneSurrogateBytes : byteLength(text.mid(end, step));
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        end += step;
    }
    return text.left(end);
}

} // namespace mojing
