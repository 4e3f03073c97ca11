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
// The rows of a saved list; std::nullopt when the text is not a saved list (a wrong first line).
// A line that cannot be read (the wrong number of fields, an unknown state, a bad escape, an empty
// address, or a last line cut short) is skipped and counted in `skipped`; the other rows stay.
// Rows that were being downloaded come back waiting with their progress emptied, and duplicate
// keys are dropped.
std::optional<std::vector<DownloadRow>> parse(const QByteArray& text, int* skipped = nullptr);

// Writes the list's rows; false when the file could not be written (the old one then stays).
bool save(const DownloadListModel& list, const QString& path);

enum class LoadResult { Missing, Loaded, Unreadable };
LoadResult load(const QString& path, std::vector<DownloadRow>& rows, int* skipped = nullptr);

// Renames an unreadable saved list to a free "<name>.unreadable-<time>" sibling, so it is kept but
// no longer in the way. Returns the new path, or empty when even that failed.
QString moveAside(const QString& path);
// Copies a saved list with rows that could not be read to such a sibling, so that those rows are
// kept when the list is saved without them. Returns the copy's path, or empty.
QString copyAside(const QString& path);

} // namespace DownloadListStore
} // namespace mojing
