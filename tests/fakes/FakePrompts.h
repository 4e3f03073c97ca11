#pragma once

#include "platform/Prompts.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

namespace mojing {

// Prompts for tests: answers come from queues the test fills beforehand, and every prompt shown
// is recorded in order (kind, text, icon, title) so tests can compare the exact texts.
//
//   FakePrompts prompts;
//   prompts.yesNoAnswers.push_back(false);       // the next askYesNo answers No
//   prompts.inputAnswers.push_back(u"abc"_s);     // the next inputText returns "abc"
//   prompts.inputAnswers.push_back(std::nullopt); // ...and the one after is cancelled
//   ...
//   EXPECT_EQ(prompts.messages(), QStringList{u"完成！"_s});
//   EXPECT_EQ(prompts.shown.back().icon, MessageIcon::Error);
//
// An empty queue gives the default answer: Yes for askYesNo, a cancelled input box, and an
// empty (cancelled) file or folder dialog.
class FakePrompts : public Prompts {
public:
    enum class Kind { Message, YesNo, Input, SaveFile, OpenFile, Folder };
    struct Shown {
        Kind kind;
        QString text; // message / question / input prompt / file filter / folder start
        MessageIcon icon = MessageIcon::Information; // Question for askYesNo
        QString title;
    };

    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<QString> saveFileAnswers;
    std::deque<QString> openFileAnswers;
    std::deque<QString> folderAnswers;
    bool defaultYesNo = true;

    std::vector<Shown> shown;
    QStringList proposedPaths; // what each save-file dialog offered, in order

    void message(const QString& text, MessageIcon icon, const QString& title = {}) override;
    bool askYesNo(const QString& text, const QString& title = {}) override;
    std::optional<QString> inputText(const QString& prompt, const QString& title = {},
                                     const QString& defaultText = {}) override;
    QString saveFileName(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite = false,
                         const QString& proposedPath = {}) override;
    QString openFileName(const QString& filter) override;
    QString pickFolder(const QString& startFolder, const QString& title, bool includeFiles) override;

    // Texts of the message boxes only (not questions or dialogs), in order.
    QStringList messages() const;
    // Texts of every prompt of the given kind, in order.
    QStringList texts(Kind kind) const;
    // The last message box text, or empty.
    QString lastMessage() const;
    // The icon of the last message box (Information when none was shown).
    MessageIcon lastIcon() const;
    // Forget what was shown (answer queues stay).
    void clearShown() { shown.clear(); }
};

} // namespace mojing
