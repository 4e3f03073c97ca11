#pragma once

#include "analysis/DownloadWindowHost.h"
#include "program/AppContext.h"

#include <memory>

namespace mojing {

class FileDownloadWindow;
class WindowFlow;

// The download window as the search side sees it: built (hidden) through the window flow when
// the first article is converted, revealed after each analysis run.
class GuiDownloadWindowHost : public DownloadWindowHost {
public:
    GuiDownloadWindowHost(const AppContext& context, WindowFlow& flow);
    ~GuiDownloadWindowHost() override;

    FileDownloadWindow* window() const;
    DownloadSession* loadedSession() override;
    DownloadSession& ensureSession() override;
    void showDownloadWindow(bool restore) override;

private:
    AppContext m_context;
    WindowFlow& m_flow;
    // Used only when no download window can be built, so that conversions never lose rows.
    std::unique_ptr<DownloadSession> m_fallback;
};

} // namespace mojing
