#include "LinkFreePath.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing::LinkFreePath {

namespace {

bool isBelowOrSame(const QString& anchor, const QString& path) {
    const QString a = QDir::cleanPath(anchor);
    return path == a || path.startsWith(a == u"/"_s ? a : a + u'/');
}

// The components of `path` below `anchor`; nullopt-like empty `ok` when it does not lie there.
QStringList componentsBelow(const QString& anchor, const QString& path, bool& ok) {
    const QString a = QDir::cleanPath(QDir(anchor).absolutePath());
    const QString p = QDir::cleanPath(QDir(path).absolutePath());
    ok = isBelowOrSame(a, p);
    if (!ok || p == a)
        return {};
    return p.mid(a == u"/"_s ? 1 : a.size() + 1).split(u'/', Qt::SkipEmptyParts);
}

// The folder holding `path` opened link-free, and the name of `path` in it.
int openParent(const QString& anchor, const QString& path, QByteArray& name) {
    bool ok = false;
    const QStringList parts = componentsBelow(anchor, path, ok);
    if (!ok || parts.isEmpty())
        return -1; // the anchor itself is no file of its own to touch
    name = QFile::encodeName(parts.last());
    return openFolder(anchor, QDir::cleanPath(QDir(path).absolutePath() + u"/.."_s));
}

} // namespace

QString anchorOf(const QString& path, const QStringList& homes) {
    const QString p = QDir::cleanPath(QDir(path).absolutePath());
    QString best = u"/"_s;
    QStringList candidates = homes;
    candidates << QDir::homePath();
    for (const QString& home : std::as_const(candidates)) {
        const QString h = QDir::cleanPath(QDir(home).absolutePath());
        if (h.size() > best.size() && isBelowOrSame(h, p))
            best = h;
    }
    return best;
}

QStringList systemHomes() {
    QStringList homes{u"/root"_s};
    const QDir dir(u"/home"_s);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        homes << dir.filePath(name);
    return homes;
}

int openFolder(const QString& anchor, const QString& folder) {
    bool ok = false;
    const QStringList parts = componentsBelow(anchor, folder, ok);
    if (!ok)
        return -1;
    int fd = ::open(QFile::encodeName(QDir::cleanPath(QDir(anchor).absolutePath())).constData(),
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QString& part : parts) {
        if (fd < 0)
            return -1;
        if (part == u".."_s) {
            ::close(fd);
            return -1;
        }
        const int next = ::openat(fd, QFile::encodeName(part).constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

bool isLinkFree(const QString& anchor, const QString& folder) {
    const int fd = openFolder(anchor, folder);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int openFile(const QString& anchor, const QString& path) {
    QByteArray name;
    const int dir = openParent(anchor, path, name);
    if (dir < 0)
        return -1;
    const int fd = ::openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    ::close(dir);
    struct stat st = {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

namespace {
// Unlinks `path` below `anchor` when it is of the given kind (a regular file, or a folder).
bool removeEntry(const QString& anchor, const QString& path, bool folder) {
    QByteArray name;
    const int dir = openParent(anchor, path, name);
    if (dir < 0)
        return false;
    struct stat st = {};
    const bool rightKind = ::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                           (folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode));
    const bool removed = rightKind && ::unlinkat(dir, name.constData(), folder ? AT_REMOVEDIR : 0) == 0;
    ::close(dir);
    return removed;
}
} // namespace

bool removeFile(const QString& anchor, const QString& path) {
    return removeEntry(anchor, path, false);
}

bool removeEmptyFolder(const QString& anchor, const QString& path) {
    return removeEntry(anchor, path, true);
}

} // namespace mojing::LinkFreePath
