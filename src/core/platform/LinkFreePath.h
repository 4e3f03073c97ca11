#pragma once

#include <QString>
#include <QStringList>

namespace mojing {

// Paths walked one folder at a time without following symbolic links, for the tools that delete
// or read files in folders other users may have prepared (the browser caches of every home). A
// path is judged from an anchor, the folder it is reached from (a home folder): links above the
// anchor (a home on another disk) are the system's business, any link below it refuses the path.
// The walk holds each folder open while it looks at the next, so a link swapped in on the way
// refuses the path too.
namespace LinkFreePath {

// The anchor of `path`: the deepest of `homes` (and the running user's home folder) that holds
// it, or "/" when none does.
QString anchorOf(const QString& path, const QStringList& homes = {});
// The home folders of this machine: the folders in /home, and /root.
QStringList systemHomes();

// Opens `folder` (`anchor` itself or a folder below it) as a directory; -1 when a component
// below the anchor is a symbolic link or anything else than a folder, or when it is missing.
// The caller closes the descriptor.
int openFolder(const QString& anchor, const QString& folder);
bool isLinkFree(const QString& anchor, const QString& folder);

// Opens the regular file `path` below `anchor` for reading; -1 when it is a link, not a regular
// file, or a link stands on the way.
int openFile(const QString& anchor, const QString& path);

// Removes the regular file `path` below `anchor`; false (nothing removed) when it is no regular
// file or a link stands on the way.
bool removeFile(const QString& anchor, const QString& path);
// Removes the empty folder `path` below `anchor` under the same rule.
bool removeEmptyFolder(const QString& anchor, const QString& path);

} // namespace LinkFreePath
} // namespace mojing
