#pragma once

#include <QString>

namespace mojing {

// What the program asks of the desktop: default handlers, the file manager, a text editor,
// the system browser, the clipboard and sounds.
class Shell {
public:
    virtual ~Shell() = default;
    // Open a file, folder or address with its default handler. False when that failed.
    virtual bool openWithDefault(const QString& pathOrUrl) = 0;
    // Show the folder of `filePath` with the file selected. False when that failed.
    virtual bool showInFolder(const QString& filePath) = 0;
    // Open a text file in the desktop's text editor.
    virtual bool openInTextEditor(const QString& filePath) = 0;
    // Show a web address in the system browser.
    virtual bool openInBrowser(const QString& url) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    // Play a WAV file; silent and harmless where no audio device exists.
    virtual void playSound(const QString& wavPath) = 0;
};

} // namespace mojing
