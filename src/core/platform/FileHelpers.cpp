#include "FileHelpers.h"

#include "AnsiCodec.h"
#include "Prompts.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing::FileHelpers {

namespace {
constexpr qsizetype kMaxNameBytes = 200;
// File systems here limit a name to 255 bytes of its own encoding (UTF-8), where a Chinese
// character takes three bytes. Leave room for a "[0001]" counter and an extension so that a
// cleaned name can always be created.
constexpr qsizetype kMaxNameBytesOnDisk = 235;
const QString kBadFolderName = QStringLiteral("文件夹名称有误！不能创建文件夹！");
} // namespace

QChar separator() {
    return QDir::separator();
}

QString withTrailingSeparator(const QString& folder) {
    if (folder.endsWith(separator()))
        return folder;
    return folder + separator();
}

QString removeUnsafeCharacters(const QString& name) {
    QString s = name;
    static constexpr char16_t kForbidden[] = u"\\/:*?\"<>|";
    s.removeIf([](QChar c) {
        for (char16_t f : kForbidden) {
            if (f != 0 && c.unicode() == f)
                return true;
        }
        return false;
    });
    s.remove(u"\r\n"_s);
    s.removeIf([](QChar c) { return c == u'\n' || c == u'\r' || c == QChar(0); });
    // Half a surrogate pair (an escaped %uD800 in a server's name, say) cannot name a file; as a
    // replacement character it is written, counted and cut like any other.
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
            ++i;
        else if (s.at(i).isSurrogate())
            s[i] = QChar::ReplacementCharacter;
    }
    return s;
}

QString cutToNameLimits(const QString& name, const AnsiCodec& codec, const QString& reserved) {
    QString s =
        codec.truncateToBytes(name, std::max<qsizetype>(0, kMaxNameBytes - codec.byteLength(reserved)));
#ifndef Q_OS_WIN
    const AnsiCodec diskNames(u"UTF-8"_s);
    s = diskNames.truncateToBytes(
        s, std::max<qsizetype>(0, kMaxNameBytesOnDisk - diskNames.byteLength(reserved)));
#endif
    return s;
}

QString sanitizeFileName(const QString& name, const AnsiCodec& codec) {
    QString s = removeUnsafeCharacters(name);
    qsizetype start = 0;
    while (start < s.size() && s.at(start) == u'.')
        ++start;
    qsizetype end = s.size();
    while (end > start && s.at(end - 1) == u'.')
        --end;
    return cutToNameLimits(s.mid(start, end - start), codec);
}

QString createFolderPath(const QString& path, const AnsiCodec& codec, Prompts* prompts) {
    const QChar sep = separator();
    const QStringList segments = path.split(sep);
    auto fail = [prompts] {
        if (prompts)
            prompts->message(kBadFolderName, MessageIcon::Error);
        return QString();
    };

    QString accumulated;
    qsizetype next = 0;
    if (path.startsWith(QString(sep) + sep)) {
        const QString server = segments.value(2);
        if (server.isEmpty())
            return fail();
        accumulated = QString(sep) + sep + server;
        next = 3;
    } else {
        accumulated = segments.value(0);
        next = 1;
        // Outside Windows a relative first level is a folder, not a drive: create it too.
        if (!accumulated.isEmpty() && !accumulated.endsWith(u':') && !folderExists(accumulated))
            QDir().mkdir(accumulated);
    }

    for (qsizetype i = next; i < segments.size(); ++i) {
        const QString& segment = segments.at(i);
        if (segment.isEmpty())
            break;
        const QString cleaned = sanitizeFileName(segment, codec);
        if (cleaned.isEmpty())
            return fail();
        accumulated += sep + cleaned;
        if (!folderExists(accumulated))
            QDir().mkdir(accumulated);
    }
    if (!accumulated.isEmpty() && folderExists(accumulated))
        return accumulated;
    return {};
}

SplitName splitFileName(const QString& path) {
    const QString trimmed = path.trimmed();
    const qsizetype sep = trimmed.lastIndexOf(separator());
    const QString fileName = sep >= 0 ? trimmed.mid(sep + 1) : trimmed;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || fileName.size() - dot - 1 >= 7)
        return {fileName.trimmed(), QString()};
    return {fileName.left(dot).trimmed(), fileName.mid(dot + 1).trimmed()};
}

bool folderExists(const QString& path) {
    if (path.compare(u"A:"_s + separator(), Qt::CaseInsensitive) == 0)
        return true;
    if (path.trimmed().isEmpty())
        return false;
    return QFileInfo(path).isDir();
}

bool fileExists(const QString& path) {
    QString p = path.trimmed();
    if (p.left(8).toLower() == u"file:///"_s) {
        p = p.mid(8);
        if (separator() == u'/')
            p.prepend(u'/');
    }
    p.replace(u'/', separator());
    if (p.isEmpty())
        return false;
    const QFileInfo info(p);
    return info.exists() && info.isFile();
}

} // namespace mojing::FileHelpers
