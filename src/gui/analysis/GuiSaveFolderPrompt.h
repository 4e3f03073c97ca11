#pragma once

#include "analysis/SaveFolderPrompt.h"
#include "program/AppContext.h"

#include <QPointer>
#include <QWidget>

namespace mojing {

// Shows the real save-folder dialog, owned by `owner`. Harvesting and analysis both ask through
// it: create one per window (it holds no state of its own).
class GuiSaveFolderPrompt : public SaveFolderPrompt {
public:
    GuiSaveFolderPrompt(const AppContext& context, QWidget* owner) : m_context(context), m_owner(owner) {}
    void askSaveFolder() override;

private:
    AppContext m_context;
    QPointer<QWidget> m_owner;
};

} // namespace mojing
