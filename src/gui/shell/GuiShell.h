#pragma once

#include "platform/Shell.h"

#include <QObject>

namespace mojing {

// The desktop of this platform: default handlers through the desktop services (or the desktop's
// application database where no generic opener is installed), the file manager over the
// freedesktop D-Bus interface (falling back to opening the folder), the default application for
// plain text as the text editor, the default web browser for addresses and for local files shown
// "in the browser", the clipboard, and sounds through the multimedia module.
class GuiShell : public QObject, public Shell {
    Q_OBJECT
public:
    explicit GuiShell(QObject* parent = nullptr);

    bool openWithDefault(const QString& pathOrUrl) override;
    bool showInFolder(const QString& filePath) override;
    bool openInTextEditor(const QString& filePath) override;
    bool openInBrowser(const QString& url) override;
    void setClipboardText(const QString& text) override;
    void playSound(const QString& wavPath) override;

    // A local path or a file URL becomes a file URL; anything else is read as a web address.
    static QUrl toUrl(const QString& pathOrUrl);
};

} // namespace mojing
