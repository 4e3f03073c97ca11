#pragma once

#include <QString>

namespace mojing {

// One entry file of the browser engine's disk cache (its "simple cache" format): a fixed header
// with an 8-byte magic number, a format version, the key's length and hash, then the key itself
// at offset 24, then the cached streams. The key names the cached address.
class CacheEntryFile {
public:
    enum class Result {
        Entry,      // the key was read
        NotAnEntry, // no such file any more, or not an entry file by its name
        Unreadable, // an entry file that cannot be read or whose header is damaged
    };

    // Entry files are named after the key's hash: 16 hex digits and "_0". The entry's other
    // streams live beside it under the same hash ("_1", "_s").
    static bool isEntryFileName(const QString& fileName);
    // The files of the entry whose "_0" file is `entryFile` (those that exist), "_0" first.
    static QStringList entryFiles(const QString& entryFile);
    // The "_0" file of the entry `path` belongs to (a "_0", "_1" or "_s" file); empty for a file
    // that belongs to no entry.
    static QString entryFileOf(const QString& path);

    // Reads the key of `path` into `key`. Reads no more than the header and the key, and refuses
    // a key length the file cannot hold.
    static Result readKey(const QString& path, QString* key);

    // The address a key stands for: the text after its last space (keys of isolated pages name
    // the top frame's site first), otherwise the key without its leading "1/0/" style prefix.
    static QString addressFromKey(const QString& key);
};

} // namespace mojing
