#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace mojing {

// The listings of the cache window: the entries of one cache folder, and the files and folders
// below users' cache folders.
namespace CacheListing {

// One row of the cache window's list: "URL" (address, or "用户:" + user name), "TYPE",
// "SIZE(Byte)" and "FilePath".
struct Row {
    QString text;
    QString type;
    QString size; // empty when there is no file
    QString path;
};

struct EntryScan {
    QList<Row> rows;
    bool failed = false; // an entry file could not be read; `rows` holds those before it
};

// 「ExtensionFromUrl」 The extension an address (or path) shows: the part after "://" (up to a
// second "://"), its last "/" or "\\" segment cut at the first of # backspace TAB LF CR : * < >
// | " ' = ?, and of that the trimmed text after the last dot when it is shorter than 7
// characters; empty otherwise.
QString extensionFromUrl(const QString& text);

// 「GetCacheURLList」 One row per entry file below `cacheFolder`, in file-name order: the
// address from the entry's key, its extension, and the size and path of the entry file. Ends at
// the first entry file that cannot be read.
EntryScan scanEntries(const QString& cacheFolder);

// 「CollectSubfolders」/「CollectFiles」 The subfolders (files) of `folder` with their full paths,
// hidden ones included, appended to `out` in name order; with `recursive`, those of every
// subfolder too. Symbolic links are neither listed nor followed, so a listing never leaves the
// folder; unreadable folders add nothing.
void collectSubfolders(const QString& folder, QStringList& out, bool recursive);
void collectFiles(const QString& folder, QStringList& out, bool recursive);

} // namespace CacheListing
} // namespace mojing
