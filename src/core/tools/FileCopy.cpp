#include "FileCopy.h"

#include "CopyPaths.h"
#include "platform/LinkFreePath.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing::FileCopy {

namespace {
constexpr qint64 kChunk = 1024 * 1024;

// The source's bytes, permissions and modification time in a temporary sibling of `target`. The
// source is read only when it is a regular file reached without a symbolic link on the way.
std::unique_ptr<QTemporaryFile> copyBeside(const QString& source, const QString& target) {
    const int fd =
        LinkFreePath::openFile(LinkFreePath::anchorOf(source, LinkFreePath::systemHomes()), source);
    struct stat st = {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    auto out = std::make_unique<QTemporaryFile>(target + u".XXXXXX.part"_s);
    if (!out->open())
        return nullptr;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return nullptr;
        if (out->write(chunk) != chunk.size())
            return nullptr;
    }
    if (!out->flush())
        return nullptr;
    ::fchmod(out->handle(), st.st_mode & 07777);
    // Kept so that "same size and time" can later tell an unchanged copy from a different file.
    out->setFileTime(
        QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000),
        QFileDevice::FileModificationTime);
    out->close();
    return out;
}
} // namespace

bool copyNew(const QString& source, const QString& target) {
    if (QFileInfo::exists(target))
        return false;
    auto temp = copyBeside(source, target);
    if (!temp)
        return false;
    // Refuses to replace a file that appeared meanwhile.
    if (!QFile::rename(temp->fileName(), target))
        return false;
    temp->setAutoRemove(false);
    return true;
}

bool copyOver(const QString& source, const QString& target) {
    auto temp = copyBeside(source, target);
    if (!temp)
        return false;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temp->fileName().toStdU16String()),
                            std::filesystem::path(target.toStdU16String()), error);
    if (error)
        return false;
    temp->setAutoRemove(false);
    return true;
}

bool copyWithNumberedName(const QString& source, const QString& folder) {
    if (!QFileInfo(source).isFile() || QFileInfo(source).isSymLink())
        return false;
    return copyNew(source, CopyPaths::firstFreeNumberedPath(source, folder));
}

} // namespace mojing::FileCopy
