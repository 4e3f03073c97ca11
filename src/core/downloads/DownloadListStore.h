#pragma once

#include "DownloadListModel.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace mojing {

// The download list on disk, between two sessions of the download window: one UTF-8 line per row
// (state, key, name, type, size, received, percent, folder, tag, then the row's own file and the
// article's metadata; TAB separated; backslash, TAB, CR and LF escaped), after a first line naming
// the format. Lists of the older nine-field format are read too. Written whole or not at all.
namespace DownloadListStore {

// "DownloadList.tsv" in the program's data folder.
QString defaultPath();

QByteArray serialize(const std::vector<DownloadRow>& rows);
// The rows of a saved list; std::nullopt when the text is not a saved list (a wrong first line, a
// line with the wrong number of fields, an unknown state or an empty key). Rows that were being
// downloaded come back waiting with their progress emptied, and duplicate keys are dropped.
std::optional<std::vector<DownloadRow>> parse(const QByteArray& text);

// Writes the list's rows; false when the file could not be written (the old one then stays).
bool save(const DownloadListModel& list, const QString& path);

enum class LoadResult { Missing, Loaded, Unreadable };
LoadResult load(const QString& path, std::vector<DownloadRow>& rows);

// Renames an unreadable saved list to a free "<name>.unreadable-<time>" sibling, so it is kept but
// no longer in the way. Returns the new path, or empty when even that failed.
QString moveAside(const QString& path);

} // namespace DownloadListStore
} // namespace mojing
