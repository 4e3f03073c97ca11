#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace mojing {

// The remembered folders (SaveList.dat) and the folder picker, which the copy tool shares with
// the save-folder dialog. Handed in by whoever opens the tool, so that this folder does not
// depend on the analysis folder that owns them.
struct SharedFolders {
    // The remembered folders; nullopt when there is no file yet (the list stays as it is).
    std::function<std::optional<QStringList>()> load;
    // Writes the remembered folders back.
    std::function<void(const QStringList&)> save;
    // Lets the user pick a folder starting at `start`; `start` again when cancelled.
    std::function<QString(const QString& start, const QString& title)> pick;
};

} // namespace mojing
