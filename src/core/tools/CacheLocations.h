#pragma once

#include <QString>
#include <QStringList>

namespace mojing {

// Where the program's browser keeps its disk cache: for the user running the program, and for
// every user of the machine (their home folders; the cache lies at the same place below each).
struct CacheLocations {
    // The cache folder of the user running the program.
    QString currentUserFolder;
    // Folders whose subfolders are users' home folders ("/home").
    QStringList homeParents;
    // Home folders outside those ("/root").
    QStringList otherHomes;
    // A user's cache folder relative to the home folder.
    QString homeSubPath;

    // The home folders to look in, each with its user name (the folder's name), in order.
    QStringList homeFolders() const;

    // The disk cache of the program's browser profile for this user: the per-user cache folder
    // + "mojing/QtWebEngine/mojing/Cache", where the engine puts it for the program's profile.
    static QString defaultCurrentUserFolder();
    // This machine: `currentUserFolder` (defaultCurrentUserFolder() when empty), /home/* and
    // root's home.
    static CacheLocations forThisMachine(const QString& currentUserFolder = {});
};

} // namespace mojing
