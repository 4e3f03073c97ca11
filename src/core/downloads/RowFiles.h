#pragma once

#include "DownloadListModel.h"

#include <QString>

namespace mojing {

class AnsiCodec;

// What a download row may do with files on disk. A row deletes or replaces only what it wrote
// itself: the file it finished (while that file is still the one it wrote: same path, size and
// modification time) or the bare name-reserving placeholder of its own transfer. A file another
// row finished under the same name, or one the user put there, is never the row's to delete.
namespace RowFiles {

// The file at `path` as it is now (empty when there is no regular file).
OwnedFile describe(const QString& path);
// True while `owned` still names the very file the row wrote.
bool stillOwned(const OwnedFile& owned);

// The row gives up its file: the file it still owns is deleted, and so is a bare placeholder
// under the row's name that no running transfer is using; afterwards the row owns nothing.
// Anything else under the name stays.
void release(DownloadListModel& list, int row);

// What keeps a finished download from counting as a whole file: "文件不完整" for a PDF (by its
// content) without "%%EOF" in its last 1024 bytes, as a transfer that lost its end leaves it;
// empty when the file may be taken.
QString wholeFileProblem(const QString& path, const AnsiCodec& codec);

} // namespace RowFiles
} // namespace mojing
