#pragma once

#include "platform/Prompts.h"

#include <QTextStream>

namespace mojing {

// Prompts for unattended command-line runs: messages go to the error stream, questions are
// answered No, and input boxes and file dialogs count as cancelled, so nothing ever waits for
// a person.
class ConsolePrompts : public Prompts {
public:
    explicit ConsolePrompts(QTextStream& err) : m_err(err) {}

    void message(const QString& text, MessageIcon icon, const QString& title = {}) override;
    bool askYesNo(const QString& text, const QString& title = {}) override;
    std::optional<QString> inputText(const QString& prompt, const QString& title = {},
                                     const QString& defaultText = {}) override;
    QString saveFileName(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite = false,
                         const QString& proposedPath = {}) override;
    QString openFileName(const QString& filter) override;
    QString pickFolder(const QString& startFolder, const QString& title, bool includeFiles) override;

private:
    QTextStream& m_err;
};

} // namespace mojing
