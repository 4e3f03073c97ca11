#pragma once

#include <QString>

namespace mojing::FileCopy {

// Copies of files for the copy tool. A copy is written to a temporary sibling of its target,
// given the source's permissions and modification time, and then renamed into place, so a
// target is never seen half written. A source is read only when it is a regular file reached
// without a symbolic link on the way below its home folder (LinkFreePath).

// Copies `source` to `target`, which must not exist yet. False when nothing was copied.
bool copyNew(const QString& source, const QString& target);
// Replaces `target` with a copy of `source` in one step; when the copy fails the old target
// stays as it was.
bool copyOver(const QString& source, const QString& target);
// 「复制相同文件自动重命名」 Copies `source` into `folder` (ending with a separator) under the
// first free numbered name (CopyPaths::firstFreeNumberedPath). False when the source does not
// exist or nothing was copied.
bool copyWithNumberedName(const QString& source, const QString& folder);

} // namespace mojing::FileCopy
