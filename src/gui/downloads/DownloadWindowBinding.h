#pragma once

#include <QObject>
#include <memory>

namespace mojing {

class DownloadEngine;
class FileDownloadWindow;
class NetworkLayer;
class SoundLibrary;

// Puts the download engine behind a download window: "开始下载"/"停止下载" (buttons and menu),
// the running indicator, the start entry's enabling, the check boxes that Stop clears, the
// close confirmation, the list commands of the list menu and the notification sounds. Starts
// the status timer, which runs until the window closes. Lives as a child of the window.
class DownloadWindowBinding : public QObject {
    Q_OBJECT
public:
    DownloadWindowBinding(FileDownloadWindow& window, NetworkLayer& network);
    ~DownloadWindowBinding() override;

    DownloadEngine& engine() { return *m_engine; }

    // The binding attached to `window`, if any.
    static DownloadWindowBinding* of(FileDownloadWindow& window);

private:
    void bindCommands();
    void bindListCommands();

    FileDownloadWindow& m_window;
    DownloadEngine* m_engine;
    std::unique_ptr<SoundLibrary> m_sounds;
};

} // namespace mojing
