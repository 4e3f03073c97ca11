#include "RowFiles.h"

#include "platform/LinkFreePath.h"
#include "tools/FileTypeDetector.h"
#include "transfer/Downloader.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing::RowFiles {

namespace {
// PDF readers look for the end-of-file marker this far from the end.
constexpr qint64 kTrailerWindow = 1024;

bool hasPdfTrailer(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size > kTrailerWindow && !file.seek(size - kTrailerWindow))
        return false;
    return file.read(kTrailerWindow).contains("%%EOF");
}
} // namespace

OwnedFile describe(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.isSymLink() || !info.isFile())
        return {};
    return OwnedFile{path, info.size(), info.lastModified().toUTC()};
}

bool stillOwned(const OwnedFile& owned) {
    if (owned.isEmpty())
        return false;
    const OwnedFile now = describe(owned.path);
    return !now.isEmpty() && now.size == owned.size && owned.modified.isValid() &&
           now.modified.toMSecsSinceEpoch() == owned.modified.toMSecsSinceEpoch();
}

void release(DownloadListModel& list, int row) {
    if (!list.isValidIndex(row))
        return;
    const DownloadRow& r = list.at(row);
    // Removed only as a regular file, never a link standing under the name; the file's own folder
    // is the anchor (a papers folder reached through a link is the user's choice). One that
    // cannot be deleted stays; the row gives it up anyway.
    if (stillOwned(r.owned))
        LinkFreePath::removeFile(QFileInfo(r.owned.path).absolutePath(), r.owned.path);
    // A row without a folder has no file of its own: its name would resolve elsewhere.
    if (!r.folder.trimmed().isEmpty() && !r.name.isEmpty()) {
        const QString path = list.filePath(row);
        if (Downloader::isPlaceholder(path)) {
            bool inUse = false;
            for (int i = 0; i < list.count() && !inUse; ++i)
                inUse = i != row && list.at(i).state == RowState::Downloading && list.filePath(i) == path;
            if (!inUse)
                LinkFreePath::removeFile(QFileInfo(path).absolutePath(), path);
        }
    }
    list.setOwned(row, {});
}

QString wholeFileProblem(const QString& path, const AnsiCodec& codec) {
    if (FileTypeDetector::detectFileType(path, codec) == u"pdf"_s && !hasPdfTrailer(path))
        return DownloadListModel::kIncomplete;
    return {};
}

} // namespace mojing::RowFiles
