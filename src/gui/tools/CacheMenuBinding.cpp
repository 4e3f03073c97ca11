#include "CacheMenuBinding.h"

#include "CacheDialog.h"
#include "downloads/FileDownloadWindow.h"
#include "search/SearchWindow.h"
#include "shell/GuiServices.h"
#include "tools/CacheToolController.h"

#include <QAction>
#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

namespace mojing {

CacheLocations CacheMenuBinding::locationsFor(QWebEngineProfile* profile) {
    return CacheLocations::forThisMachine(profile ? ProfileCache::httpCacheFolder(*profile) : QString());
}

CacheMenuBinding::CacheMenuBinding(QWidget& window, const AppContext& context, QWebEngineProfile* profile,
                                   CacheLocations locations, QAction* view, QAction* clear)
    : QObject(&window), m_window(window), m_context(context), m_engine(profile),
      m_locations(std::move(locations)) {
    if (view)
        connect(view, &QAction::triggered, this, &CacheMenuBinding::openViewer);
    if (clear)
        connect(clear, &QAction::triggered, this, &CacheMenuBinding::clearBrowserCache);
}

CacheMenuBinding* CacheMenuBinding::attach(SearchWindow& window, GuiServices& services) {
    return new CacheMenuBinding(window, services.context, services.profile, locationsFor(services.profile),
                                window.claimAction(u"menu查看IE浏览器缓存"_s),
                                window.claimAction(u"menu清空IE浏览器缓存"_s));
}

CacheMenuBinding* CacheMenuBinding::attach(FileDownloadWindow& window, GuiServices& services) {
    return new CacheMenuBinding(window, services.context, services.profile, locationsFor(services.profile),
                                nullptr, window.claimAction(u"menu清空IE浏览器缓存"_s));
}

void CacheMenuBinding::openViewer() {
    CacheDialog dialog(m_context, m_locations, &m_engine, &m_window);
    dialog.exec();
}

void CacheMenuBinding::clearBrowserCache() {
    // The window's commands without the window.
    CacheToolController tool(m_context.prompts, m_locations, &m_engine);
    tool.clearBrowserCache(true);
}

} // namespace mojing
