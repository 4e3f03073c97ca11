#include "PartFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
constexpr int kNameAttempts = 16;

QString randomTag() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int i = 0; i < 6; ++i)
        tag += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    return tag;
}
} // namespace

PartFile::PartFile(QString target) : m_target(std::move(target)) {}

PartFile::~PartFile() {
    discard();
}

bool PartFile::open() {
    discard();
    // A short fixed name: the target's own name may already be as long as the file system allows.
    const QString folder = QFileInfo(m_target).path() + u'/';
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        m_file.setFileName(folder + u".mojing-"_s + randomTag() + u".part"_s);
        // Created like any new file (the user's umask applies), never over an existing one.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!QFileInfo::exists(m_file.fileName()))
            break; // the folder refuses, not a name clash
    }
    m_file.setFileName(QString());
    return false;
}

bool PartFile::adopt(const QString& existing) {
    // A fresh empty temporary file reserves the name; the kept bytes then replace it in one step,
    // so that a second claimant of the same kept part finds it gone.
    if (!open())
        return false;
    m_file.close();
    const bool moved = std::rename(QFile::encodeName(existing).constData(),
                                   QFile::encodeName(m_file.fileName()).constData()) == 0;
    if (!moved || !m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        discard();
        return false;
    }
    m_written = m_file.size();
    return true;
}

QString PartFile::release() {
    const QString path = m_file.fileName();
    if (path.isEmpty())
        return {};
    m_file.flush();
    m_file.close();
    m_file.setFileName(QString());
    m_written = 0;
    return path;
}

bool PartFile::write(const QByteArray& bytes) {
    if (!m_file.isOpen())
        return false;
    const qint64 n = m_file.write(bytes);
    if (n > 0)
        m_written += n;
    return n == bytes.size();
}

bool PartFile::flush() {
    return m_file.isOpen() && m_file.flush();
}

bool PartFile::canReplace(const QString& target) {
    const QFileInfo info(target);
    if (info.isDir() && !info.isSymLink())
        return false;
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct stat folderStat = {};
    if (::access(folder.constData(), W_OK | X_OK) != 0 || ::stat(folder.constData(), &folderStat) != 0)
        return false;
    if ((folderStat.st_mode & S_ISVTX) == 0)
        return true;
    // In a sticky folder (such as /tmp) only the owner of a name or of the folder may replace it.
    struct stat targetStat = {};
    if (::lstat(QFile::encodeName(target).constData(), &targetStat) != 0)
        return true; // nothing there to replace
    const uid_t user = ::geteuid();
    return user == 0 || targetStat.st_uid == user || folderStat.st_uid == user;
}

bool PartFile::commit() {
    if (!m_file.isOpen())
        return false;
    // Unlike a save file it is not forced to disk first: a download can be fetched again, and
    // syncing hundreds of megabytes would double the time of a large file.
    const bool flushed = m_file.flush();
    m_file.close();
    // rename() replaces the target in one step (QFile::rename refuses an existing target).
    const bool renamed = flushed && std::rename(QFile::encodeName(m_file.fileName()).constData(),
                                                QFile::encodeName(m_target).constData()) == 0;
    if (!renamed)
        QFile::remove(m_file.fileName());
    m_file.setFileName(QString());
    return renamed;
}

void PartFile::discard() {
    if (m_file.fileName().isEmpty())
        return;
    m_file.close();
    QFile::remove(m_file.fileName());
    m_file.setFileName(QString());
    m_written = 0;
}

} // namespace mojing
