#pragma once

#include "platform/Shell.h"

namespace mojing {

// The desktop as a command-line run sees it: there is none. Every request reports failure and
// sounds stay silent.
class ConsoleShell : public Shell {
public:
    bool openWithDefault(const QString&) override { return false; }
    bool showInFolder(const QString&) override { return false; }
    bool openInTextEditor(const QString&) override { return false; }
    bool openInBrowser(const QString&) override { return false; }
    void setClipboardText(const QString&) override {}
    void playSound(const QString&) override {}
};

} // namespace mojing
