#include "GuiDownloadWindowHost.h"

#include "downloads/DownloadSession.h"
#include "downloads/FileDownloadWindow.h"
#include "shell/WindowFlow.h"

namespace mojing {

GuiDownloadWindowHost::GuiDownloadWindowHost(const AppContext& context, WindowFlow& flow)
    : m_context(context), m_flow(flow) {}

GuiDownloadWindowHost::~GuiDownloadWindowHost() = default;

FileDownloadWindow* GuiDownloadWindowHost::window() const {
    return qobject_cast<FileDownloadWindow*>(m_flow.form(WindowFlow::kDownload, false));
}

DownloadSession* GuiDownloadWindowHost::loadedSession() {
    FileDownloadWindow* w = window();
    return w ? &w->session() : m_fallback.get();
}

DownloadSession& GuiDownloadWindowHost::ensureSession() {
    if (auto* w = qobject_cast<FileDownloadWindow*>(m_flow.form(WindowFlow::kDownload, true)))
        return w->session();
    if (!m_fallback)
        m_fallback = std::make_unique<DownloadSession>(m_context);
    return *m_fallback;
}

void GuiDownloadWindowHost::showDownloadWindow(bool restore) {
    FileDownloadWindow* w = window();
    if (!w)
        return;
    w->refreshList();
    if (w->isHidden())
        w->show();
    if (restore && w->isMinimized())
        w->showNormal();
}

} // namespace mojing
