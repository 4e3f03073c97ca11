#pragma once

#include "platform/Shell.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace mojing {

// Shell for tests: records every call as "verb:argument" in order and answers with `succeed`.
//
//   FakeShell shell;
//   shell.succeed = false;                 // every open/show call reports failure
//   ...
//   EXPECT_EQ(shell.calls, QStringList{u"openInBrowser:https://x/"_s});
//   EXPECT_EQ(shell.clipboard, u"text"_s);
class FakeShell : public Shell {
public:
    bool succeed = true;
    QStringList calls; // "openWithDefault:...", "showInFolder:...", "openInTextEditor:...",
                       // "openInBrowser:...", "setClipboardText:...", "playSound:..."
    QString clipboard; // the last clipboard text

    bool openWithDefault(const QString& pathOrUrl) override;
    bool showInFolder(const QString& filePath) override;
    bool openInTextEditor(const QString& filePath) override;
    bool openInBrowser(const QString& url) override;
    void setClipboardText(const QString& text) override;
    void playSound(const QString& wavPath) override;

    // The arguments of every call with the given verb, in order.
    QStringList argumentsOf(const QString& verb) const;
};

} // namespace mojing
