#include "CacheEntryFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
constexpr quint64 kMagic = 0xfcfb6d1ba7725c30ULL;
constexpr qint64 kHeaderSize = 24;
// Keys are addresses with a short prefix; anything longer than this is not a key we wrote.
constexpr quint32 kMaxKeyLength = 64 * 1024;
} // namespace

bool CacheEntryFile::isEntryFileName(const QString& fileName) {
    static const QRegularExpression pattern(u"^[0-9a-f]{16}_0$"_s);
    return pattern.match(fileName).hasMatch();
}

QStringList CacheEntryFile::entryFiles(const QString& entryFile) {
    QStringList files{entryFile};
    const QString stem = entryFile.left(entryFile.size() - 2);
    for (const QString& stream : {u"_1"_s, u"_s"_s}) {
        if (QFileInfo::exists(stem + stream))
            files << stem + stream;
    }
    return files;
}

QString CacheEntryFile::entryFileOf(const QString& path) {
    static const QRegularExpression pattern(u"^[0-9a-f]{16}_[01s]$"_s);
    if (!pattern.match(QFileInfo(path).fileName()).hasMatch())
        return {};
    return path.left(path.size() - 1) + u'0';
}

CacheEntryFile::Result CacheEntryFile::readKey(const QString& path, QString* key) {
    QFile file(path);
    if (!isEntryFileName(QFileInfo(path).fileName()))
        return Result::NotAnEntry;
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? Result::Unreadable : Result::NotAnEntry;
    const QByteArray header = file.read(kHeaderSize);
    if (header.size() < kHeaderSize || qFromLittleEndian<quint64>(header.constData()) != kMagic)
        return Result::Unreadable;
    const quint32 length = qFromLittleEndian<quint32>(header.constData() + 12);
    if (length == 0 || length > kMaxKeyLength || qint64(length) > file.size() - kHeaderSize)
        return Result::Unreadable;
    const QByteArray bytes = file.read(length);
    if (bytes.size() != qsizetype(length))
        return Result::Unreadable;
    if (key)
        *key = QString::fromUtf8(bytes);
    return Result::Entry;
}

QString CacheEntryFile::addressFromKey(const QString& key) {
    const qsizetype space = key.lastIndexOf(u' ');
    if (space >= 0)
        return key.mid(space + 1);
    static const QRegularExpression prefix(u"^\\d+/\\d+/"_s);
    QString address = key;
    address.remove(prefix);
    return address;
}

} // namespace mojing
