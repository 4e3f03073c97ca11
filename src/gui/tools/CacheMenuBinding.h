#pragma once

#include "ProfileCache.h"
#include "program/AppContext.h"
#include "tools/CacheLocations.h"

#include <QObject>

class QAction;
class QWebEngineProfile;
class QWidget;

namespace mojing {

class FileDownloadWindow;
class SearchWindow;
struct GuiServices;

// Puts the cache tool behind a work window's menu entries "查看IE浏览器缓存" (the search window)
// and "清空IE浏览器缓存" (both windows). Lives as a child of the window.
class CacheMenuBinding : public QObject {
    Q_OBJECT
public:
    // `view` may be null (the window has no such entry). `profile` is the browsers' profile,
    // whose running engine is told when its cache is cleared; null where none runs.
    CacheMenuBinding(QWidget& window, const AppContext& context, QWebEngineProfile* profile,
                     CacheLocations locations, QAction* view, QAction* clear);

    // The cache folders of this machine: the profile's own and those below every home folder.
    static CacheLocations locationsFor(QWebEngineProfile* profile);
    static CacheMenuBinding* attach(SearchWindow& window, GuiServices& services);
    static CacheMenuBinding* attach(FileDownloadWindow& window, GuiServices& services);

    const CacheLocations& locations() const { return m_locations; }

    // 「查看IE浏览器缓存」 Opens the cache window and waits until it is closed.
    void openViewer();
    // 「ClearBrowserCache」 with its message, as both menus ask for it.
    void clearBrowserCache();

private:
    QWidget& m_window;
    AppContext m_context;
    ProfileCache m_engine;
    CacheLocations m_locations;
};

} // namespace mojing
