#include "HeaderHelpers.h"

#include "platform/AnsiCodec.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace mojing::HeaderHelpers {

namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// "%XX" at `i`: the byte, or nullopt.
std::optional<int> escapedByte(const QString& s, qsizetype i) {
    if (i + 2 >= s.size() || s.at(i) != u'%')
        return std::nullopt;
    const int hi = hexDigit(s.at(i + 1));
    const int lo = hexDigit(s.at(i + 2));
    if (hi < 0 || lo < 0)
        return std::nullopt;
    return hi * 16 + lo;
}

// "%uXXXX" (u in either case) at `i`: the UTF-16 code unit, or nullopt.
std::optional<char16_t> escapedUnit(const QString& s, qsizetype i) {
    if (i + 5 >= s.size() || s.at(i) != u'%' || (s.at(i + 1) != u'u' && s.at(i + 1) != u'U'))
        return std::nullopt;
    const qint64 value = hexToLong(s.mid(i + 2, 4));
    if (value < 0 || value > 0xFFFF)
        return std::nullopt;
    return char16_t(value);
}

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QString leadingLetters(const QString& s) {
    qsizetype n = 0;
    while (n < s.size() && isAsciiLetter(s.at(n)))
        ++n;
    return s.left(n);
}

// Length of the UTF-8 sequence a lead byte starts (2..7), or 0 when it is no lead byte.
int utf8SequenceLength(int lead) {
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    if ((lead & 0xFC) == 0xF8)
        return 5;
    if ((lead & 0xFE) == 0xFC)
        return 6;
    if (lead == 0xFE)
        return 7;
    return 0;
}

bool isContinuation(std::optional<int> b) {
    return b && *b >= 0x80 && *b <= 0xBF;
}

// Whether the lead byte escaped just before `i` is followed by the right number of escaped
// continuation bytes.
bool startsUtf8Sequence(const QString& s, qsizetype i, int lead) {
    const int length = utf8SequenceLength(lead);
    if (length == 0)
        return false;
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(escapedByte(s, i)))
            return false;
        i += 3;
    }
    return true;
}

const QHash<QString, QString>& mimeTable() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        auto same = [&t](const QString& main, std::initializer_list<const char16_t*> subs) {
            for (const char16_t* sub : subs)
                t.insert(main + u'/' + QString::fromUtf16(sub), QString::fromUtf16(sub));
        };
        auto map = [&t](const QString& main, std::initializer_list<const char16_t*> subs,
                        const QString& ext) {
            for (const char16_t* sub : subs)
                t.insert(main + u'/' + QString::fromUtf16(sub), ext);
        };
        const QString app = u"application"_s;
        map(app, {u"octet-stream"}, QString());
        map(app, {u"x-shockwave-flash"}, u"swf"_s);
        map(app, {u"x-javascript"}, u"js"_s);
        map(app, {u"vnd.rn-realmedia"}, u"rm"_s);
        map(app, {u"vnd.ms-wpl"}, u"wpl"_s);
        same(app, {u"kdh", u"caj", u"pdf", u"caa", u"nh"});
        map(app, {u"vnd.ms-works"}, u"wps"_s);
        map(app, {u"ppt", u"vnd.ms-powerpoint"}, u"ppt"_s);
        map(app, {u"doc", u"msword"}, u"doc"_s);
        map(app, {u"docx", u"vnd.openxmlformats-officedocument.wordprocessingml.document"}, u"docx"_s);
        map(app, {u"rtf"}, u"rtf"_s);
        map(app, {u"xls", u"vnd.ms-excel", u"x-excel"}, u"xls"_s);
        map(app, {u"xlsx", u"vnd.openxmlformats-officedocument.spreadsheetml.sheet"}, u"xlsx"_s);
        map(app, {u"pptx", u"vnd.openxmlformats-officedocument.presentationml.presentation"}, u"pptx"_s);
        map(app, {u"pps"}, u"pps"_s);
        map(app, {u"ppsx", u"vnd.openxmlformats-officedocument.presentationml.slideshow"}, u"ppsx"_s);
        map(app, {u"dll", u"x-msdownload"}, u"dll"_s);
        map(app, {u"tar", u"x-tar"}, u"tar"_s);
        map(app, {u"tgz", u"x-compressed"}, u"tgz"_s);
        map(app, {u"zip", u"x-zip-compressed"}, u"zip"_s);
        map(app, {u"z", u"x-compress"}, u"z"_s);
        same(u"text"_s, {u"html", u"txt", u"htm", u"xml", u"css"});
        map(u"text"_s, {u"plain"}, u"txt"_s);
        same(u"image"_s, {u"jpg", u"jpeg", u"gif", u"png", u"bmp", u"tif", u"pjpeg", u"g3fax", u"ief"});
        map(u"image"_s, {u"tiff"}, u"tif"_s);
        map(u"image"_s, {u"x-png"}, u"png"_s);
        map(u"image"_s, {u"x-ms-bmp"}, u"bmp"_s);
        map(u"image"_s, {u"x-icon"}, u"ico"_s);
        map(u"video"_s, {u"mpeg"}, u"mpeg"_s);
        map(u"video"_s, {u"mpeg4"}, u"mp4"_s);
        map(u"video"_s, {u"x-msvideo"}, u"avi"_s);
        map(u"video"_s, {u"x-ms-asf"}, u"asf"_s);
        map(u"video"_s, {u"x-ms-wmv"}, u"wmv"_s);
        map(u"video"_s, {u"quicktime"}, u"mov"_s);
        map(u"audio"_s, {u"amr"}, u"amr"_s);
        map(u"audio"_s, {u"x-ms-wma"}, u"wma"_s);
        map(u"audio"_s, {u"x-wav"}, u"wav"_s);
        map(u"audio"_s, {u"x-pn-realaudio"}, u"ram"_s);
        map(u"audio"_s, {u"midi"}, u"mid"_s);
        map(u"audio"_s, {u"x-mpegurl"}, u"mpeg"_s);
        map(u"message"_s, {u"rfc822"}, u"mht"_s);
        return t;
    }();
    return table;
}

bool isListedMainType(const QString& main) {
    static const QStringList listed = {u"application"_s, u"text"_s,  u"image"_s,
                                       u"video"_s,       u"audio"_s, u"message"_s};
    return listed.contains(main);
}

} // namespace

QString dispositionFromHeader(const QString& headerBlock) {
    static const QString kName = u"content-disposition:"_s;
    for (const QString& raw : headerBlock.split(u"\r\n"_s)) {
        const QString line = raw.trimmed();
        if (line.left(kName.size()).toLower() == kName)
            return line.mid(kName.size()).trimmed();
    }
    return {};
}

DispositionName dispositionFileName(const QString& value, const AnsiCodec& codec) {
    static const QString kKey = u"filename="_s;
    const QString trimmed = value.trimmed();
    const qsizetype at = trimmed.indexOf(kKey, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    QString name = trimmed.mid(at + kKey.size()).trimmed();
    const qsizetype semicolon = name.indexOf(u';');
    if (semicolon >= 0)
        name = name.left(semicolon).trimmed();
    name.remove(u'"');
    name.remove(u'\'');
    name = stripControlChars(name);

    DispositionName result;
    const qsizetype dot = name.lastIndexOf(u'.');
    QString base = name;
    if (dot >= 0) {
        result.extension = name.mid(dot + 1).trimmed();
        base = name.left(dot).trimmed();
    }
    result.extension = leadingLetters(result.extension);
    if (result.extension.size() > 5)
        result.extension.clear();
    const bool utf8 = value.contains(u"utf-8"_s, Qt::CaseInsensitive);
    result.baseName = (utf8 ? urlUnescapeUtf8(base, codec) : urlUnescapeAnsi(base, codec)).trimmed();
    return result;
}

QString urlUnescapeAnsi(const QString& text, const AnsiCodec& codec) {
    QString out;
    QByteArray pending;
    auto flush = [&] {
        if (!pending.isEmpty()) {
            out += codec.decode(pending);
            pending.clear();
        }
    };
    qsizetype i = 0;
    while (i < text.size()) {
        if (const auto unit = escapedUnit(text, i)) {
            flush();
            out += QChar(*unit);
            i += 6;
        } else if (const auto byte = escapedByte(text, i)) {
            pending += char(*byte);
            i += 3;
        } else {
            flush();
            out += text.at(i) == u'+' ? QChar(u' ') : text.at(i);
            ++i;
        }
    }
    flush();
    return out;
}

QString urlUnescapeUtf8(const QString& input, const AnsiCodec& codec) {
    QString text = input;
    text.replace(u'+', u' ');
    enum class Mode { Undecided, Utf8, CodePage } mode = Mode::Undecided;
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (const auto unit = escapedUnit(text, i)) {
            out += QChar(*unit);
            i += 6;
            continue;
        }
        const auto byte = escapedByte(text, i);
        if (!byte) {
            out += text.at(i);
            ++i;
            continue;
        }
        i += 3;
        const int b = *byte;
        if (b < 0x80) {
            out += QChar(char16_t(b));
            continue;
        }
        if (mode == Mode::Undecided)
            mode = startsUtf8Sequence(text, i, b) ? Mode::Utf8 : Mode::CodePage;
        if (mode == Mode::Utf8) {
            const int length = utf8SequenceLength(b);
            if (length == 0)
                continue; // a stray continuation byte cannot be decoded: dropped
            char32_t codePoint = char32_t(b & (0x7F >> length));
            bool whole = true;
            for (int k = 1; k < length; ++k) {
                const auto next = escapedByte(text, i);
                if (!isContinuation(next)) {
                    whole = false;
                    break;
                }
                codePoint = (codePoint << 6) | char32_t(*next & 0x3F);
                i += 3;
            }
            if (whole && codePoint <= 0x10FFFF)
                out += QString::fromUcs4(&codePoint, 1);
            continue;
        }
        // Code page: this byte is the high half of a double-byte character.
        QByteArray pair(1, char(b));
        if (const auto low = escapedByte(text, i)) {
            pair += char(*low);
            i += 3;
        } else if (i < text.size()) {
            pair += char(text.at(i).unicode() & 0xFF);
            ++i;
        } else {
            continue; // a lone high byte at the end cannot be decoded
        }
        out += codec.decode(pair);
    }
    return out;
}

QString stripControlChars(const QString& text) {
    QString s = text;
    s.remove(u"\r\n"_s);
    s.removeIf([](QChar c) { return c == QChar(0) || c == u'\n' || c == u'\r' || c == u'\t'; });
    return s.trimmed();
}

qint64 hexToLong(const QString& digits) {
    const QString t = digits.trimmed();
    if (t.isEmpty() || t.size() > 15)
        return -1;
    for (QChar c : t) {
        if (hexDigit(c) < 0)
            return -1;
    }
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, 16);
    return ok ? value : -1;
}

QString mimeTypeToExtension(const QString& mimeType) {
    const QStringList parts = mimeType.split(u'/');
    const QString main = parts.first().trimmed().toLower();
    QString candidate;
    if (parts.size() != 2) {
        candidate = main;
    } else {
        QString sub = parts.at(1);
        sub.remove(u' ');
        sub = sub.toLower();
        const auto found = mimeTable().constFind(main + u'/' + sub);
        // Table entries are the answer as written (video/mpeg4 stays mp4).
        if (found != mimeTable().constEnd())
            return found.value();
        if (isListedMainType(main) && (sub == u"*"_s || sub.isEmpty()))
            return {};
        candidate = sub;
    }
    candidate = leadingLetters(candidate);
    return candidate.size() > 5 ? QString() : candidate;
}

ContentType splitContentType(const QString& value) {
    const QStringList parts = value.split(u';');
    ContentType result;
    result.mimeType = parts.first().trimmed();
    if (parts.size() >= 2) {
        const QString second = parts.at(1).trimmed();
        if (second.left(8).toLower() == u"charset="_s)
            result.charset = second.mid(8);
    }
    return result;
}

QString headerValue(const QString& headerBlock, const QString& name) {
    const QStringList lines = headerBlock.split(u"\r\n"_s);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

bool isSuccessStatus(const QString& headerBlock) {
    const QString first = headerBlock.section(u"\r\n"_s, 0, 0);
    return first.contains(u"200"_s) && first.contains(u"OK"_s, Qt::CaseInsensitive);
}

int statusCode(const QString& headerBlock) {
    const QStringList parts = headerBlock.section(u"\r\n"_s, 0, 0).split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 2 || !parts.first().startsWith(u"HTTP/"_s, Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int code = parts.at(1).toInt(&ok);
    return ok ? code : 0;
}

bool asksForPause(int statusCode) {
    return statusCode == 429 || statusCode == 503;
}

QDateTime parseHttpDate(const QString& text) {
    const QString t = text.simplified();
    const QLocale c = QLocale::c();
    // IMF-fixdate, then the obsolete RFC 850 and asctime forms that HTTP still accepts.
    QDateTime date = c.toDateTime(t, u"ddd, dd MMM yyyy HH:mm:ss 'GMT'"_s);
    if (!date.isValid()) {
        date = c.toDateTime(t, u"dddd, dd-MMM-yy HH:mm:ss 'GMT'"_s);
        // A two-digit year is the nearest one that is not far in the future.
        if (date.isValid() && date.date().year() < 1970)
            date = date.addYears(100);
    }
    if (!date.isValid())
        date = c.toDateTime(t, u"ddd MMM d HH:mm:ss yyyy"_s);
    if (!date.isValid())
        return {};
    return QDateTime(date.date(), date.time(), Qt::UTC);
}

std::optional<qint64> retryAfterSeconds(const QString& value, const QDateTime& nowUtc) {
    const QString t = value.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool digits = true;
    for (QChar ch : t)
        digits = digits && ch.isDigit() && ch.unicode() < 128;
    if (digits) {
        bool ok = false;
        const qint64 seconds = t.toLongLong(&ok);
        // Beyond any sensible pause anyway: the caller caps it.
        return ok ? seconds : std::numeric_limits<qint64>::max();
    }
    const QDateTime date = parseHttpDate(t);
    if (!date.isValid())
        return std::nullopt;
    return std::max<qint64>(0, nowUtc.secsTo(date));
}

std::optional<ContentRange> parseContentRange(const QString& value) {
    static const QRegularExpression pattern(u"^\\s*bytes\\s+(\\d+)-(\\d+)/(\\d+|\\*)\\s*$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(value);
    if (!m.hasMatch())
        return std::nullopt;
    ContentRange range;
    bool ok1 = false, ok2 = false, ok3 = true;
    range.first = m.captured(1).toLongLong(&ok1);
    range.last = m.captured(2).toLongLong(&ok2);
    if (m.captured(3) != u"*"_s)
        range.total = m.captured(3).toLongLong(&ok3);
    if (!ok1 || !ok2 || !ok3 || range.last < range.first || (range.total >= 0 && range.last >= range.total))
        return std::nullopt;
    return range;
}

} // namespace mojing::HeaderHelpers
