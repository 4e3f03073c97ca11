#pragma once

namespace mojing {

// Asks the user for the save folder in the modal save-folder dialog. Afterwards
// ProgramState::saveFolderCancelled and ProgramState::currentSaveFolder tell the outcome (closing
// the dialog by its title bar leaves saveFolderCancelled as it was).
// The desktop shows the real dialog; tests script a SaveFolderController.
class SaveFolderPrompt {
public:
    virtual ~SaveFolderPrompt() = default;
    virtual void askSaveFolder() = 0;
};

} // namespace mojing
