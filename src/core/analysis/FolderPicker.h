#pragma once

#include <QString>

namespace mojing {

class Prompts;

// The folder picker used by the save-folder dialog and the copy tool.
class FolderPicker {
public:
    // The folder the picker opens at for `start`: the parent of the trimmed start folder (the
    // filesystem root for an empty one), or the root when that parent does not exist.
    static QString initialFolder(const QString& start);

    // Lets the user pick a folder, opening at initialFolder(start). The picked folder, or `start`
    // when the user cancelled, always with a separator at the end.
    static QString browseForFolder(Prompts& prompts, const QString& start, const QString& title,
                                   bool includeFiles);
};

} // namespace mojing
