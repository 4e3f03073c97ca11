#include "FolderPicker.h"

#include "platform/FileHelpers.h"
#include "platform/Prompts.h"

#include <QDir>

namespace mojing {

namespace {
QString rootFolder() {
    return QDir::toNativeSeparators(QDir::rootPath());
}
} // namespace

QString FolderPicker::initialFolder(const QString& start) {
    QString folder = start.trimmed();
    if (folder.isEmpty())
        folder = rootFolder();
    // Open at the parent, so that the current folder is visible among its siblings.
    const qsizetype cut = folder.left(folder.size() - 1).lastIndexOf(FileHelpers::separator());
    if (cut >= 0)
        folder = folder.left(cut + 1);
    if (!FileHelpers::folderExists(folder))
        folder = rootFolder();
    return folder;
}

QString FolderPicker::browseForFolder(Prompts& prompts, const QString& start, const QString& title,
                                      bool includeFiles) {
    QString picked = prompts.pickFolder(initialFolder(start), title, includeFiles);
    if (picked.isEmpty())
        picked = start;
    return FileHelpers::withTrailingSeparator(QDir::toNativeSeparators(picked));
}

} // namespace mojing
