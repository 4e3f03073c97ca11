#include "CacheListing.h"

#include "CacheEntryFile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing::CacheListing {

namespace {
void collect(const QString& folder, QStringList& out, bool recursive, bool wantFolders) {
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    const bool driveRoot = dir.isRoot();
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.compare(u"pagefile.sys"_s, Qt::CaseInsensitive) == 0)
            continue;
        if (driveRoot && name.compare(u"RECYCLER"_s, Qt::CaseInsensitive) == 0)
            continue;
        if (entry.isDir()) {
            if (wantFolders)
                out << entry.filePath();
            if (recursive)
                collect(entry.filePath(), out, recursive, wantFolders);
        } else if (!wantFolders) {
            out << entry.filePath();
        }
    }
}
} // namespace

QString extensionFromUrl(const QString& text) {
    QString s = text;
    const qsizetype scheme = s.indexOf(u"://"_s);
    if (scheme >= 0) {
        s = s.mid(scheme + 3);
        const qsizetype second = s.indexOf(u"://"_s);
        if (second >= 0)
            s.truncate(second);
    }
    s.replace(u'/', u'\\');
    s = s.mid(s.lastIndexOf(u'\\') + 1);
    static constexpr char16_t kStops[] = u"#\b\t\n\r:*<>|\"'=?";
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (std::u16string_view(kStops).find(s.at(i).unicode()) != std::u16string_view::npos) {
            s.truncate(i);
            break;
        }
    }
    const qsizetype dot = s.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString extension = s.mid(dot + 1).trimmed();
    return extension.size() < 7 ? extension : QString();
}

EntryScan scanEntries(const QString& cacheFolder) {
    EntryScan scan;
    QStringList files;
    collectFiles(cacheFolder, files, true);
    for (const QString& path : std::as_const(files)) {
        QString key;
        switch (CacheEntryFile::readKey(path, &key)) {
        case CacheEntryFile::Result::NotAnEntry:
            continue;
        case CacheEntryFile::Result::Unreadable:
            scan.failed = true;
            return scan;
        case CacheEntryFile::Result::Entry:
            break;
        }
        const QString address = CacheEntryFile::addressFromKey(key);
        const QFileInfo info(path);
        // The engine may have dropped the entry since it was listed.
        const bool exists = info.exists();
        scan.rows << Row{address, extensionFromUrl(address),
                         exists ? QString::number(info.size()) : QString(), exists ? path : QString()};
    }
    return scan;
}

void collectSubfolders(const QString& folder, QStringList& out, bool recursive) {
    collect(folder, out, recursive, true);
}

void collectFiles(const QString& folder, QStringList& out, bool recursive) {
    collect(folder, out, recursive, false);
}

} // namespace mojing::CacheListing
