#include "Naming.h"

#include "DownloadSession.h"
#include "platform/FileHelpers.h"
#include "transfer/Downloader.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing::Naming {

namespace {

// Any directory entry counts as taken: a file, a folder, hidden or not, even a dangling link.
bool pathTaken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool isWholeNumber(const QString& text) {
    bool ok = false;
    text.toLongLong(&ok);
    return ok;
}

QString counterText(qint64 counter, int width) {
    return QString::number(counter).rightJustified(width, u'0');
}

} // namespace

bool needsDownload(DownloadSession& session, int row) {
    DownloadListModel& list = session.list();
    if (!list.isValidIndex(row))
        return false;
    // The same path the transfer writes: without a type the name has no dot.
    const QString path = list.filePath(row);
    // A bare placeholder is the trace of a download that never finished (its program was
    // killed), not a file to keep.
    if (session.options().policy == DuplicatePolicy::Skip && QFileInfo(path).isFile() &&
        !Downloader::isPlaceholder(path)) {
        const QString length = QString::number(QFileInfo(path).size());
        list.setState(row, RowState::Finished);
        list.setSize(row, length);
        list.setReceived(row, length);
        list.setPercent(row, DownloadListModel::kExists);
        return false;
    }
    return true;
}

TargetChoice chooseTarget(const QString& folder, const QString& name, const QString& type,
                          DuplicatePolicy policy) {
    const QString dir = FileHelpers::withTrailingSeparator(folder);
    const QString suffix = type.isEmpty() ? QString() : u'.' + type;
    TargetChoice choice{name, dir + name + suffix};
    if (policy == DuplicatePolicy::Overwrite || !pathTaken(choice.path))
        return choice;

    QString base = name;
    qint64 counter = 0;
    const qsizetype open = name.lastIndexOf(u'[');
    const qsizetype close = name.lastIndexOf(u']');
    if (open >= 0 && close > open) {
        const QString inside = name.mid(open + 1, close - open - 1).trimmed();
        if (isWholeNumber(inside) && inside.toLongLong() >= 0) {
            counter = inside.toLongLong();
            base = name.left(open);
        }
    }
    base.replace(u'[', u'『');
    base.replace(u']', u'』');

    QString candidate = counter != 0 ? base + u'[' + counterText(counter, 3) + u']' : base;
    while (pathTaken(dir + candidate + suffix)) {
        ++counter;
        candidate = base + u'[' + counterText(counter, 3) + u']';
    }
    return TargetChoice{candidate, dir + candidate + suffix};
}

QString uniqueFilePath(const QString& path) {
    if (!pathTaken(path))
        return path;
    const QChar sep = FileHelpers::separator();
    const qsizetype slash = path.lastIndexOf(sep);
    const QString folder = path.left(slash + 1);
    QString fileName = path.mid(slash + 1);
    QString extension;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot >= 0) {
        extension = fileName.mid(dot + 1);
        fileName = fileName.left(dot);
    }
    QString base = fileName.left(100);
    if (base.endsWith(u']')) {
        const qsizetype open = base.lastIndexOf(u'[');
        if (open >= 0 && isWholeNumber(base.mid(open + 1, base.size() - open - 2)))
            base = base.left(open);
    }
    const QString ext = extension.isEmpty() ? QString() : u'.' + extension;
    QString candidate = folder + base + ext;
    qint64 counter = 0;
    while (pathTaken(candidate)) {
        ++counter;
        candidate = folder + base + u'[' + counterText(counter, 4) + u']' + ext;
    }
    return candidate;
}

} // namespace mojing::Naming
