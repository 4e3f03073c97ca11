#pragma once

#include <QString>

namespace mojing::CopyPaths {

// A source path taken apart for the copy tool.
struct PathParts {
    QString folder;   // up to and including the last separator; empty when there is none
    QString baseName; // never empty for a non-empty path
    QString extension;
    // Base name, plus a dot and the extension when there is one.
    QString fileName() const;
};

// Trims the path and splits it: the folder, then the file name split by
// FileHelpers::splitFileName (an extension of 7 or more characters belongs to the base name).
// A file name that is all extension (".profile") keeps the whole name as its base name.
PathParts splitPath(const QString& path);

// `baseName` without a trailing counter in square brackets ("report[007]" -> "report"), so that
// a numbered name is numbered again from its stem. Only digits count as a counter.
QString withoutCounter(const QString& baseName);

// The first name in `folder` (which ends with a separator) that no file takes, for a copy of
// `source`: the stem itself, then stem[001], stem[002], ... stem[1000] and on.
QString firstFreeNumberedPath(const QString& source, const QString& folder);

} // namespace mojing::CopyPaths
