#include "shell/GuiWiring.h"

#include "analysis/AnalysisPanel.h"
#include "downloads/AddAddressesBinding.h"
#include "downloads/DownloadFileActionsBinding.h"
#include "downloads/DownloadListKeeper.h"
#include "downloads/DownloadListStore.h"
#include "downloads/DownloadWindowBinding.h"
#include "downloads/FileDownloadWindow.h"
#include "downloads/LoginPanelBinding.h"
#include "program/AppContext.h"
#include "search/SearchController.h"
#include "search/SearchHarvesting.h"
#include "search/SearchWindow.h"
#include "shell/GuiGeometry.h"
#include "shell/GuiServices.h"
#include "tools/CacheMenuBinding.h"
#include "transfer/NetworkLayer.h"

namespace mojing {

void wireSearchWindow(SearchWindow& window, GuiServices& services) {
    // Harvesting and page turning attach here.
    // List commands and export attach here.
    SearchHarvesting* harvesting = SearchHarvesting::attach(&window);
    // Analysis attaches here.
    auto* analysis = new AnalysisPanel(window, services.context, services.flow);
    // Harvesting asks for the save folder in the same dialog as analysis.
    harvesting->controller()->setSaveFolderPrompt(
        [analysis] { analysis->saveFolderPrompt().askSaveFolder(); });
    CacheMenuBinding::attach(window, services);
}

QWidget* createDownloadWindow(GuiServices& services) {
    auto* window = new FileDownloadWindow(services.context, &services.flow, services.config);
    SettingsStore& settings = services.context.settings;
    window->setGeometryHandlers([&settings](QWidget& w) { GuiGeometry::restore(w, settings); },
                                [&settings](const QWidget& w) { GuiGeometry::save(w, settings); });
    NetworkLayer* network = services.network;
    if (!network)
        network = new NetworkLayer(window);
    new DownloadWindowBinding(*window, *network);
    new AddAddressesBinding(*window, *network);
    new DownloadFileActionsBinding(*window);
    const QString listPath =
        services.downloadListPath.isEmpty() ? DownloadListStore::defaultPath() : services.downloadListPath;
    auto* keeper = new DownloadListKeeper(window->session(), listPath, window);
    keeper->setAddressRewrite(services.restoredAddress);
    keeper->restore();
    QObject::connect(window, &FileDownloadWindow::closing, keeper, &DownloadListKeeper::finish);
    CacheMenuBinding::attach(*window, services);
    new LoginPanelBinding(*window, services.profile);
    return window;
}

} // namespace mojing
