#pragma once

#include <QString>
#include <optional>

namespace mojing {

enum class MessageIcon { Information, Error, Question, Warning };

// Every message box, question, input box and file or folder dialog the program shows.
// The GUI implements it with Qt dialogs; tests script the answers and record the texts.
// File dialog filters use the "description|pattern" form, e.g. "*.txt|*.txt".
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(const QString& text, MessageIcon icon, const QString& title = {}) = 0;
    // Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title = {}) = 0;
    // Input box; std::nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& prompt, const QString& title = {},
                                             const QString& defaultText = {}) = 0;
    // Save-file dialog; empty when cancelled. `proposedPath`, when given, is the folder the dialog
    // opens in and the name it offers.
    virtual QString saveFileName(const QString& filter, const QString& defaultSuffix,
                                 bool confirmOverwrite = false, const QString& proposedPath = {}) = 0;
    // Open-file dialog; empty when cancelled.
    virtual QString openFileName(const QString& filter) = 0;
    // Folder picker starting at `startFolder`; empty when cancelled.
    virtual QString pickFolder(const QString& startFolder, const QString& title, bool includeFiles) = 0;
};

} // namespace mojing
