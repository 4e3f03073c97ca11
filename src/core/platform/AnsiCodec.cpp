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
    while (end < text.size()) {
        const qsizetype step = (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
        const qsizetype bytes = byteLength(text.mid(end, step));
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        end += step;
    }
    return text.left(end);
}

} // namespace mojing
