#include "GuiSaveFolderPrompt.h"

#include "SaveFolderDialog.h"

namespace mojing {

void GuiSaveFolderPrompt::askSaveFolder() {
    SaveFolderDialog dialog(m_context, m_owner);
    dialog.exec();
}

} // namespace mojing
