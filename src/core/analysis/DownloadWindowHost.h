#pragma once

namespace mojing {

class DownloadSession;

// How the search side reaches the download window without knowing widgets: the desktop creates
// the real window, headless runs and tests keep a bare session.
class DownloadWindowHost {
public:
    virtual ~DownloadWindowHost() = default;
    // The session of the loaded download window (visible or not); null when it is not loaded.
    virtual DownloadSession* loadedSession() = 0;
    // Loads the download window without showing it when needed; returns its session.
    virtual DownloadSession& ensureSession() = 0;
    // 「显示下载窗口」 Reveals the download window after an analysis run: nothing when it is not loaded;
    // otherwise the list is refreshed, a hidden window shown and, with `restore`, a minimised one restored.
    virtual void showDownloadWindow(bool restore) = 0;
};

} // namespace mojing
