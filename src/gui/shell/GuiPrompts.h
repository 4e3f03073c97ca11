#pragma once

#include "platform/Prompts.h"

class QWidget;

namespace mojing {

// Prompts as Qt dialogs, parented to the active window. Message boxes carry the product title
// unless a title is given.
class GuiPrompts : public Prompts {
public:
    void message(const QString& text, MessageIcon icon, const QString& title = {}) override;
    bool askYesNo(const QString& text, const QString& title = {}) override;
    std::optional<QString> inputText(const QString& prompt, const QString& title = {},
                                     const QString& defaultText = {}) override;
    QString saveFileName(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite = false,
                         const QString& proposedPath = {}) override;
    QString openFileName(const QString& filter) override;
    QString pickFolder(const QString& startFolder, const QString& title, bool includeFiles) override;

private:
    static QWidget* parentWindow();
};

} // namespace mojing
