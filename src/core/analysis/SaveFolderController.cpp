#include "SaveFolderController.h"

#include "FolderHistory.h"
#include "FolderPicker.h"
#include "platform/FileHelpers.h"
#include "platform/Prompts.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace mojing {

SaveFolderController::SaveFolderController(const AppContext& context, QString historyFile)
    : m_context(context),
      m_historyFile(historyFile.isEmpty() ? FolderHistory::defaultFile() : std::move(historyFile)) {}

void SaveFolderController::open() {
    m_nameBySource = m_context.state.nameBySourceFile;
    if (auto loaded = FolderHistory::loadFolderHistory(m_historyFile, m_context.codec))
        m_history = *loaded;
    m_context.state.currentSaveFolder =
        m_context.settings.read(SettingKeys::kSectionSettings, SettingKeys::kSaveFolder);
    m_folderText = m_context.state.currentSaveFolder;
}

void SaveFolderController::browse() {
    m_folderText = FolderPicker::browseForFolder(m_context.prompts, m_folderText, kPickerTitle, false);
}

bool SaveFolderController::confirm() {
    m_context.state.nameBySourceFile = m_nameBySource;
    // Surrounding blanks would otherwise become folder names of their own, and a relative
    // folder would land wherever the program happens to run; both are refused as bad input.
    QString text = FileHelpers::withTrailingSeparator(m_folderText.trimmed());
    QString created;
    if (!QDir::isRelativePath(text))
        created = FileHelpers::createFolderPath(text, m_context.codec, &m_context.prompts);
    m_folderText = created;
    if (created.isEmpty()) {
        m_context.prompts.message(kBadFolder, MessageIcon::Error);
        return false;
    }
    m_context.state.currentSaveFolder = FileHelpers::withTrailingSeparator(created);
    m_context.settings.write(SettingKeys::kSectionSettings, SettingKeys::kSaveFolder,
                             m_context.state.currentSaveFolder);
    m_context.state.saveFolderCancelled = false;
    m_history << created.trimmed();
    FolderHistory::saveFolderHistory(m_history, m_historyFile, m_context.codec);
    return true;
}

void SaveFolderController::cancel() {
    m_context.state.saveFolderCancelled = true;
}

} // namespace mojing
