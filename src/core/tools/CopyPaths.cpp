#include "CopyPaths.h"

#include "platform/FileHelpers.h"

#include <QFileInfo>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace mojing::CopyPaths {

QString PathParts::fileName() const {
    return extension.isEmpty() ? baseName : baseName + u'.' + extension;
}

PathParts splitPath(const QString& path) {
    const QString trimmed = path.trimmed();
    const qsizetype cut = trimmed.lastIndexOf(FileHelpers::separator());
    PathParts parts;
    parts.folder = trimmed.left(cut + 1);
    const FileHelpers::SplitName name = FileHelpers::splitFileName(trimmed);
    parts.baseName = name.baseName;
    parts.extension = name.extension;
    if (parts.baseName.isEmpty()) {
        parts.baseName = trimmed.mid(cut + 1);
        parts.extension.clear();
    }
    return parts;
}

QString withoutCounter(const QString& baseName) {
    if (!baseName.endsWith(u']'))
        return baseName;
    const qsizetype open = baseName.lastIndexOf(u'[');
    if (open < 0)
        return baseName;
    const QString inside = baseName.mid(open + 1, baseName.size() - open - 2).trimmed();
    if (inside.isEmpty() ||
        !std::all_of(inside.cbegin(), inside.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return baseName;
    return baseName.left(open);
}

QString firstFreeNumberedPath(const QString& source, const QString& folder) {
    const PathParts parts = splitPath(source);
    const QString stem = withoutCounter(parts.baseName);
    const QString suffix = parts.extension.isEmpty() ? QString() : u'.' + parts.extension;
    QString candidate = folder + stem + suffix;
    for (int n = 1; QFileInfo::exists(candidate); ++n)
        candidate = folder + stem + u'[' + QString::number(n).rightJustified(3, u'0') + u']' + suffix;
    return candidate;
}

} // namespace mojing::CopyPaths
