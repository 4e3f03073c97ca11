#include "FileCopy.h"

#include "CopyPaths.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <memory>

using namespace Qt::StringLiterals;

namespace mojing::FileCopy {

namespace {
constexpr qint64 kChunk = 1024 * 1024;

// The source's bytes, permissions and modification time in a temporary sibling of `target`.
std::unique_ptr<QTemporaryFile> copyBeside(const QString& source, const QString& target) {
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return nullptr;
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
    out->setPermissions(in.permissions());
    // Kept so that "same size and time" can later tell an unchanged copy from a different file.
    out->setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
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
    if (!QFileInfo(source).isFile())
        return false;
    return copyNew(source, CopyPaths::firstFreeNumberedPath(source, folder));
}

} // namespace mojing::FileCopy
