#include "CacheLocations.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// The program's name and its browser profile's name, which the engine puts in the cache path.
const QString kCacheSubPath = u"mojing/QtWebEngine/mojing/Cache"_s;
} // namespace

QStringList CacheLocations::homeFolders() const {
    QStringList homes;
    for (const QString& parent : homeParents) {
        const QDir dir(parent);
        const QStringList names = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : names)
            homes << dir.filePath(name);
    }
    for (const QString& home : otherHomes) {
        if (QDir(home).exists())
            homes << home;
    }
    return homes;
}

QString CacheLocations::defaultCurrentUserFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u'/' + kCacheSubPath;
}

CacheLocations CacheLocations::forThisMachine(const QString& currentUserFolder) {
    CacheLocations l;
    l.currentUserFolder = currentUserFolder.isEmpty() ? defaultCurrentUserFolder() : currentUserFolder;
    l.homeParents = {u"/home"_s};
    l.otherHomes = {u"/root"_s};
    l.homeSubPath = u".cache/"_s + kCacheSubPath;
    return l;
}

} // namespace mojing
